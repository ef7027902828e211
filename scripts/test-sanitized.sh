#!/usr/bin/env bash
# Builds the sanitize preset (Debug, AddressSanitizer and UndefinedBehaviorSanitizer,
# with the fuzz targets) in build/sanitize and runs the whole suite under it, each fuzz
# target included for a bounded time from its seeds. Any memory fault, leak or
# undefined behaviour fails the test that reached it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh sanitize
ctest --preset sanitize "$@"
