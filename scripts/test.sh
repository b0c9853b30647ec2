#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite (CTest's summary), then builds the
# window against Qt 5.15 as well and runs the window tests there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
qt5build=${BUILD_QT5_DIR:-$root/build-qt5}
"$root/scripts/install.sh"
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
(cd "$build" && ctest --output-on-failure --timeout 600 -j "$(nproc)")

# Qt 5.15: only the window tests and what they link.
echo "Window tests against Qt 5:"
cmake -S "$root" -B "$qt5build" -G Ninja -DKAROVEL_QT=5 >/dev/null
cmake --build "$qt5build" --parallel "$(nproc)" --target ui_tests
"$qt5build/bin/ui_tests" --gtest_brief=1
