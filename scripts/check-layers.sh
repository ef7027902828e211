#!/usr/bin/env bash
# Only the runtime layer (and main, tests and tools) may include Qt: the rest of
# the program is plain C++ on the runtime's own headers.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=$(grep -rlE '^\s*#\s*include\s*[<"]Q[A-Za-z]' src --include='*.h' --include='*.cpp' \
      | grep -vE '^src/(runtime|app)/' || true)
if [ -n "$bad" ]; then
  echo "These files include Qt outside src/runtime and src/app:" >&2
  echo "$bad" >&2
  exit 1
fi
echo "Layer check passed: Qt stays inside src/runtime and src/app."
