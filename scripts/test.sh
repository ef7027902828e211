#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, checks the layering
# rules, and runs every test under Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-layers.sh
scripts/build.sh default
export QT_QPA_PLATFORM=offscreen
ctest --preset default "$@"
