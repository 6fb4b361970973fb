#!/usr/bin/env bash
# Checks what scripts/release.sh made in dist/:
# - SHA256SUMS lists exactly the four files there and every sum matches;
# - the Debian package is byte for byte the one scripts/check-debian-package.sh built,
#   installed into a fresh Debian root and ran (left in the native build folder); when
#   that check has not run, it runs it first (about 5 minutes);
# - the installer is a 64-bit Windows program carrying the version;
# - the zip holds exactly the read-me (CRLF, with the version) and a stripped 64-bit
#   zentharis.scr, dated SOURCE_DATE_EPOCH;
# - the tarball holds exactly the commit's files, and the program builds from it alone
#   (configure and the zentharis target, -j2 unless ZEN_CHECK_JOBS says otherwise).
# Usage: scripts/check-release.sh [native build folder]   (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
native="$(readlink -m "${1:-build}")"
dist="$PWD/dist"
jobs="${ZEN_CHECK_JOBS:-2}"
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}"
export LC_ALL=C
version="$(sed -nE 's/^project\(Zentharis VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)"
started=$SECONDS
step() { echo "-- $1 ($((SECONDS - started)) s)"; }
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
work="$(mktemp -d /var/tmp/zentharis-release.XXXXXX)"
trap 'rm -rf "$work"' EXIT

package="zentharis_${version}_amd64.deb"
setup="zentharis-$version-setup.exe"
zip="zentharis-$version-windows.zip"
tarball="zentharis-$version.tar.gz"
expected="$(printf '%s\n' "$package" "$setup" "$tarball" "$zip" SHA256SUMS | sort)"
[[ "$(cd "$dist" && ls -A | sort)" == "$expected" ]] || fail "dist/ holds $(cd "$dist" && ls -A | tr '\n' ' ')"
[[ "$(awk '{ print $2 }' "$dist/SHA256SUMS" | sort)" == "$(grep -v SHA256SUMS <<< "$expected")" ]] ||
  fail "SHA256SUMS does not list exactly the release's files"
(cd "$dist" && sha256sum --strict -c SHA256SUMS) || fail "a sum does not match"
step "sums"

if [[ ! -f "$native/$package" ]]; then
  echo "No package checked in $native yet: running scripts/check-debian-package.sh"
  bash scripts/check-debian-package.sh "$native"
fi
cmp "$dist/$package" "$native/$package" ||
  fail "the release's package is not the one scripts/check-debian-package.sh checked"
[[ "$(dpkg-deb --field "$dist/$package" Version)" == "$version" ]] || fail "the package's version"
step "Debian package"

file -b "$dist/$setup" | grep -q '^PE32+ executable (GUI) x86-64' || fail "the installer: $(file -b "$dist/$setup")"
strings -n 3 -el "$dist/$setup" | grep -qx "$version" || fail "the installer does not carry version $version"

python3 - "$dist/$zip" "zentharis-$version/" "$version" "$work/zentharis.scr" << 'EOF' || fail "the zip"
import os, sys, time, zipfile
path, folder, version, saver = sys.argv[1:]
# A zip keeps seconds in steps of two.
date = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
date = date[:5] + (date[5] - date[5] % 2,)
with zipfile.ZipFile(path) as archive:
    assert archive.testzip() is None, "a damaged member"
    names = archive.namelist()
    assert names == [folder + "ReadMe.txt", folder + "zentharis.scr"], names
    for info in archive.infolist():
        assert info.date_time == date, (info.filename, info.date_time, date)
    readme = archive.read(folder + "ReadMe.txt")
    assert b"\r\n" in readme and b"\n" not in readme.replace(b"\r\n", b""), "the read-me's lines do not end with CR LF"
    assert ("Zentharis " + version).encode() in readme, "the read-me does not name the version"
    with open(saver, "wb") as out:
        out.write(archive.read(folder + "zentharis.scr"))
EOF
file -b "$work/zentharis.scr" | grep -q '^PE32+ executable (GUI) x86-64' || fail "the zip's .scr: $(file -b "$work/zentharis.scr")"
! x86_64-w64-mingw32-objdump -h "$work/zentharis.scr" | grep -q '\.debug' || fail "the zip's .scr has debugging sections"
step "installer and zip"

tar -tzf "$dist/$tarball" | grep -v '/$' | sed "s:^zentharis-$version/::" | sort > "$work/tarball-files"
git ls-tree -r --name-only HEAD | sort > "$work/commit-files"
diff "$work/commit-files" "$work/tarball-files" > /dev/null ||
  fail "the tarball's files differ from the commit's: $(diff "$work/commit-files" "$work/tarball-files" | head)"
tar -xzf "$dist/$tarball" -C "$work"
cmake -S "$work/zentharis-$version" -B "$work/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$work/configure.log" 2>&1 ||
  { tail -n 30 "$work/configure.log"; fail "the tarball does not configure"; }
cmake --build "$work/build" -j"$jobs" --target zentharis > "$work/build.log" 2>&1 ||
  { tail -n 30 "$work/build.log"; fail "the tarball does not build"; }
file -b "$work/build/zentharis" | grep -q '^ELF 64-bit' || fail "no program built from the tarball"
step "the tarball builds"
echo "release checked: $(cd "$dist" && ls | grep -vx SHA256SUMS | tr '\n' ' ')"
