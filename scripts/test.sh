#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite, then the extra jobs: the window tests
# built against Qt 5.15, every test under AddressSanitizer and UndefinedBehaviorSanitizer, a short run
# of every fuzz target, and the core as a 32-bit build (docs/RELIABILITY.md). KAROVEL_JOBS picks the
# jobs (all of them, "qt5 sanitize fuzz i386", by default; "" for the normal suite only).
# Ends with CTest's summary of the normal suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=${KAROVEL_JOBS-qt5 sanitize fuzz i386}

times=()
timed() {
  local name=$1 start=$SECONDS
  shift
  echo "=== $name"
  "$@"
  times+=("$name: $((SECONDS - start)) s")
}

suite() {
  "$root/scripts/install.sh"
  "$root/scripts/build.sh"
  (cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j "$(nproc)") |
    tee "$build/suite-summary.log"
}

# Qt 5.15: only the window tests and what they link.
qt5() {
  local qt5build=${BUILD_QT5_DIR:-$root/build-qt5}
  cmake -S "$root" -B "$qt5build" -G Ninja -DKAROVEL_QT=5 >/dev/null
  cmake --build "$qt5build" --parallel "$(nproc)" --target ui_tests
  QT_QPA_PLATFORM=offscreen "$qt5build/bin/ui_tests" --gtest_brief=1
}

timed "normal suite" suite
for job in $jobs; do
  case $job in
    qt5) timed "Qt 5 window tests" qt5 ;;
    sanitize) timed "sanitizer job" "$root/scripts/ci-sanitize.sh" ;;
    fuzz) timed "fuzz job" "$root/scripts/ci-fuzz.sh" ;;
    i386) timed "32-bit job" "$root/scripts/ci-i386.sh" ;;
    *) echo "unknown job $job" >&2; exit 2 ;;
  esac
done

printf '=== %s\n' "${times[@]}"
# The normal suite's summary closes the output.
sed -n '/tests passed/,$p' "$build/suite-summary.log"
