#!/usr/bin/env bash
# JPEG decode benchmark: draws the 8192 x 8192 test map (bench/make_test_map.cpp, baseline quality-90
# JPEG through libjpeg), then times the loader's decode of it against djpeg on the same file.
#
#   bench/run_jpeg_decode_bench.sh [SIZE] [RUNS]      # defaults 8192 and 7
#
# Needs djpeg (Debian package libjpeg-turbo-progs: scripts/install.sh libjpeg-turbo-progs).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
size=${1:-8192}
runs=${2:-7}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAROVEL_BENCH=ON \
  -DKAROVEL_WINDOW=OFF -DKAROVEL_TESTS=OFF >/dev/null
ninja -C "$build" -j2 karovel-make-test-map karovel-jpeg-decode-bench >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/karovel-make-test-map" "$size" "$work/map.jpg" "$work/map.png"
echo "machine        $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "file           $(stat -c %s "$work/map.jpg") bytes"
"$build/bin/karovel-jpeg-decode-bench" "$work/map.jpg" "$runs"
