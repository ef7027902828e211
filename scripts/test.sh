#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, checks the layering
# rules, and runs every test under Qt's offscreen platform; then builds the
# sanitizer tree and runs every test again under ASan and UBSan
# (scripts/test-sanitized.sh). MV_SKIP_SANITIZED=1 skips that second half.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-layers.sh
scripts/build.sh default
export QT_QPA_PLATFORM=offscreen
# A short seeded soak of the whole program against each simulated interface kind.
export MV_SOAK_IN_CI=1
ctest --preset default "$@"
if [[ "${MV_SKIP_SANITIZED:-0}" != 1 ]]; then
  scripts/test-sanitized.sh "$@"
fi
