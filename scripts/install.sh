#!/usr/bin/env bash
# Installs, from Debian packages only, whatever of the build and test needs is missing. Idempotent.
# Extra package names may be passed as arguments (the CI jobs use this).
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qtbase5-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libgif-dev libtiff-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
