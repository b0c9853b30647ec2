#!/usr/bin/env bash
# Starts the window program on a virtual X display and saves a picture of its window.
# Usage: scripts/screenshot.sh [OUT.png]   (default docs/screenshot.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/screenshot.png}
build=${BUILD_DIR:-$root/build}

# What this script needs beyond the build: the X server, the window grabber and the PNG converter.
"$root/scripts/install.sh" xvfb x11-apps netpbm
[[ -x "$build/bin/karovel" ]] || "$root/scripts/build.sh" -DKAROVEL_TESTS=OFF

display=:${SCREENSHOT_DISPLAY:-97}
Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$karovel" "$xvfb" 2>/dev/null || true' EXIT
sleep 1

DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/bin/karovel" >/dev/null 2>&1 &
karovel=$!
# Wait until the window is mapped and painted.
for _ in $(seq 1 50); do
  if DISPLAY=$display xwd -name Karovel -silent >/dev/null 2>&1; then break; fi
  sleep 0.2
done
sleep 1
DISPLAY=$display xwd -name Karovel -silent | xwdtopnm 2>/dev/null | pnmtopng >"$out.tmp"
mv "$out.tmp" "$out"
echo "$out"
