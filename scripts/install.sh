#!/usr/bin/env bash
# Installs, from Debian packages only, whatever of the build and test needs is missing. Idempotent.
# Extra package names may be passed as arguments (the CI jobs use this).
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qtbase5-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libgif-dev libtiff-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core locales
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi

if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Number texts are also tested under a locale whose decimal separator is the comma.
if ! locale -a 2>/dev/null | grep -qiE '^de_DE\.utf-?8$'; then
  $sudo sed -i -E 's/^# *(de_DE\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  $sudo locale-gen >/dev/null
fi
