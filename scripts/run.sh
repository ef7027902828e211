#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
# With no instrument attached the program offers demonstration mode.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh default
exec build/default/src/app/mirevant "$@"
