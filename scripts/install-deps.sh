#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test; quick when all are present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libx11-dev libxrandr-dev libglew-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils
  libopenal-dev libopenal1 libgtk-3-dev libsdl2-image-dev libstb-dev libgif-dev libpng-dev libjpeg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev  # the fuzz targets (libFuzzer)
  xvfb xauth x11-utils xdotool imagemagick sox
  glslang-tools  # every shader text through the reference compiler
  python3  # the Windows dialog and picture checks: colour centres, hostile headers
  # zentharis.scr: the mingw-w64 cross compilers (posix threads), windres, dpkg-source for
  # GLEW's source package, and Wine to run the Windows tests.
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  dpkg-dev xz-utils wine wine64
  nsis file  # the Windows installer (makensis); the release's checks of what it made
  xscreensaver debootstrap  # the daemon check and the Debian package (dpkg-dev above)
  lintian desktop-file-utils libxml2-utils  # Debian's checks of the package, its desktop entry and XML
  # What Wine only recommends but the checks need: OpenGL child windows (the preview) are
  # composited, the cursor is hidden through Xcursor, monitors come from XRandR.
  libgl1 libxcomposite1 libxcursor1 libxfixes3 libxrandr2 libxi6
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
