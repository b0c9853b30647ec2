#!/usr/bin/env bash
# Installs what is missing, builds and starts the window program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install.sh"
"$root/scripts/build.sh" -DKAROVEL_TESTS=OFF
exec "${BUILD_DIR:-$root/build}/bin/karovel"
