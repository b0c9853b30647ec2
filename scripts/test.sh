#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite; ends with CTest's summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/install.sh"
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure --timeout 600 -j "$(nproc)"
