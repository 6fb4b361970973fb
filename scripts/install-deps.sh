#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test; quick when all are present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libx11-dev libglew-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils
  libopenal-dev libopenal1 libgtk-3-dev libsdl2-image-dev libstb-dev libgif-dev libpng-dev libjpeg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils xdotool imagemagick sox
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=300 update -qq
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "${missing[@]}"
