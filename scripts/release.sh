#!/usr/bin/env bash
# Makes the release of this checkout's last commit in dist/:
#   zentharis_<version>_amd64.deb    the Debian package (cpack -G DEB, as
#                                    scripts/check-debian-package.sh builds and checks it)
#   zentharis-<version>-setup.exe    the Windows installer (target zentharis-setup)
#   zentharis-<version>-windows.zip  the bare zentharis.scr (stripped) with a read-me
#   zentharis-<version>.tar.gz       the source: git archive of HEAD, gzip -n
#   SHA256SUMS
# Usage: scripts/release.sh [native build folder] [Windows build folder]
#   (default build and build-win). A folder that exists is reused as it is configured,
#   and only what is missing or out of date is built; a missing one is configured here.
#   ZEN_RELEASE_JOBS sets the build's parallel jobs (default 1).
# Every file is dated SOURCE_DATE_EPOCH (the last commit's time unless set) and stored in
# a fixed order, so the same builds give the same bytes. The checkout must have no
# uncommitted changes to tracked files (ZEN_RELEASE_ALLOW_CHANGES=1 passes over that),
# or the tarball would not be the source of the programs. scripts/check-release.sh checks
# the result.
set -euo pipefail
cd "$(dirname "$0")/.."
source="$PWD"
native="$(readlink -m "${1:-build}")"
windows="$(readlink -m "${2:-build-win}")"
jobs="${ZEN_RELEASE_JOBS:-1}"
dist="$source/dist"
started=$SECONDS
step() { echo "-- $1 ($((SECONDS - started)) s)"; }
fail() {
  echo "release: $*" >&2
  exit 1
}

if [[ -n "$(git status --porcelain --untracked-files=no)" && -z "${ZEN_RELEASE_ALLOW_CHANGES:-}" ]]; then
  git status --short --untracked-files=no >&2
  fail "the checkout has uncommitted changes: the release would not match its source"
fi
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}"
export TZ=UTC LC_ALL=C
version="$(sed -nE 's/^project\(Zentharis VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)"
[[ -n "$version" ]] || fail "no version in CMakeLists.txt"
echo "Zentharis $version, commit $(git rev-parse --short HEAD), dated $(date -u -d "@$SOURCE_DATE_EPOCH" +%FT%TZ)"

# The native build: the program, what its package installs and the generators whose
# pictures, sounds and model the Windows build takes. A folder configured here leaves the
# tests unbuilt (installing then needs only what is installed).
if [[ ! -f "$native/CMakeCache.txt" ]]; then
  cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON > /dev/null
fi
cmake --build "$native" -j"$jobs" --target zentharis zentharis_compressed_files zen_dialog_pictures > "$native/release-build.log" ||
  { tail -n 30 "$native/release-build.log"; fail "the native build failed"; }
step "native build"
if [[ ! -f "$windows/CMakeCache.txt" ]]; then
  cmake -S . -B "$windows" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DZEN_NATIVE_BUILD_DIR="$native" > /dev/null
fi
cmake --build "$windows" -j"$jobs" --target zentharis-setup > "$windows/release-build.log" ||
  { tail -n 30 "$windows/release-build.log"; fail "the Windows build failed"; }
step "Windows build"

rm -rf "$dist"
mkdir -p "$dist"

# The package goes to a folder of its own: the one scripts/check-debian-package.sh left in
# the build folder stays, for scripts/check-release.sh to compare.
package_dir="$(mktemp -d)"
trap 'rm -rf "$package_dir"' EXIT
(cd "$native" && cpack -G DEB -B "$package_dir" > "$package_dir/cpack.log") ||
  { cat "$package_dir/cpack.log"; fail "cpack failed"; }
cp "$package_dir/zentharis_${version}_amd64.deb" "$dist/"
step "Debian package"

setup="$windows/zentharis-$version-setup.exe"
[[ -f "$setup" ]] || fail "no $setup"
cp "$setup" "$dist/"

# The zip: a folder zentharis-<version>/ with the stripped .scr the installer carries and a
# read-me with Windows line ends; fixed dates, modes and order.
sed "s/@PROJECT_VERSION@/$version/g; s/\$/\r/" packaging/windows/ReadMe-zip.txt > "$package_dir/ReadMe.txt"
python3 - "$dist/zentharis-$version-windows.zip" "zentharis-$version/" \
  "ReadMe.txt=$package_dir/ReadMe.txt" "zentharis.scr=$windows/setup/zentharis.scr" << 'EOF'
import os, sys, time, zipfile
output, folder, entries = sys.argv[1], sys.argv[2], sorted(sys.argv[3:])
# Zip dates are local times from 1980 on, to two seconds.
date = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
with zipfile.ZipFile(output, "w") as archive:
    for entry in entries:
        name, path = entry.split("=", 1)
        info = zipfile.ZipInfo(folder + name, date)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 3
        info.external_attr = 0o100644 << 16
        with open(path, "rb") as source:
            archive.writestr(info, source.read(), compresslevel=9)
EOF
step "Windows installer and zip"

# git archive dates every entry with the commit's time and lists them in the tree's order.
git archive --format=tar --prefix="zentharis-$version/" HEAD | gzip -9n > "$dist/zentharis-$version.tar.gz"
step "source tarball"

(cd "$dist" && sha256sum -- zentharis* > SHA256SUMS)
cat "$dist/SHA256SUMS"
step "done: $dist"
