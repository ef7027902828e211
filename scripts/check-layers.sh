#!/usr/bin/env bash
# The layering rules, checked on the include lines:
# - only the runtime layer (and main, tests and tools) includes Qt: the rest of the
#   program is plain C++ on the runtime's own headers;
# - the runtime includes nothing of the program, and the kit nothing above it but the
#   program-wide values: the floors are runtime, kit, the subsystems, the shell, app;
# - no subsystem (nor the kit) includes the shell: lower floors reach the program's top
#   only through the hooks declared in their needs.h.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
subsystems='acquisition|calculators|control|conversions|devices|files|setup'

report() {
  if [ -n "$2" ]; then
    echo "$1" >&2
    echo "$2" >&2
    status=1
  fi
}

includes() {  # FOLDER... : "file:line: #include ..." lines of the program's own headers
  grep -rnE '^\s*#\s*include\s*"' "$@" --include='*.h' --include='*.cpp' || true
}

report "These files include Qt outside src/runtime and src/app:" \
  "$(grep -rlE '^\s*#\s*include\s*[<"]Q[A-Za-z]' src --include='*.h' --include='*.cpp' | grep -vE '^src/(runtime|app)/' || true)"
report "The runtime includes the program above it:" \
  "$(includes src/runtime | grep -E "\"($subsystems|kit|shell|app)/" || true)"
report "The kit includes a subsystem or the shell:" \
  "$(includes src/kit | grep -E "\"($subsystems|shell|app)/" || true)"
report "A subsystem includes the shell:" \
  "$(includes $(printf 'src/%s ' acquisition calculators control conversions devices files setup) | grep -E '"(shell|app)/' || true)"

if [ "$status" -ne 0 ]; then exit 1; fi
echo "Layer check passed: Qt stays inside src/runtime and src/app; runtime, kit, subsystems and shell include only downwards."
