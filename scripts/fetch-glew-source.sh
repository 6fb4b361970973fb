#!/usr/bin/env bash
# Fetches GLEW's source from Debian's own source package into DEST (for the Windows
# build, which links GLEW statically). The deb-src entries are copied from the
# configured binary sources into a private apt state, so nothing on the machine
# changes and no root is needed. Quick when DEST already holds the source.
set -euo pipefail
dest=${1:?usage: fetch-glew-source.sh DEST}
[[ -f "$dest/src/glew.c" && -f "$dest/include/GL/glew.h" ]] && exit 0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lists/partial" "$work/archives/partial" "$work/sources.list.d" "$work/download"

# deb822 files: every "Types: deb" stanza also offers deb-src; one-line files likewise.
for file in /etc/apt/sources.list.d/*.sources; do
  [[ -f "$file" ]] || continue
  sed -e 's/^Types:.*\bdeb\b.*$/Types: deb-src/' "$file" > "$work/sources.list.d/$(basename "$file")"
done
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [[ -f "$file" ]] || continue
  sed -n -e 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$file" >> "$work/sources.list.d/copied.list"
done

apt_options=(
  -o "Dir::Etc::SourceList=/dev/null"
  -o "Dir::Etc::SourceParts=$work/sources.list.d"
  -o "Dir::State::Lists=$work/lists"
  -o "Dir::Cache::Archives=$work/archives"
  -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache="
  -o "Debug::NoLocking=1"
  -o "APT::Sandbox::User=root"  # a private folder the download user cannot enter
)
apt-get "${apt_options[@]}" -qq update
(cd "$work/download" && apt-get "${apt_options[@]}" -qq source --download-only glew)

orig=$(ls "$work"/download/glew_*.orig.tar.* | head -n 1)
mkdir -p "$work/unpacked"
tar -xf "$orig" -C "$work/unpacked"
top=$(find "$work/unpacked" -mindepth 1 -maxdepth 1 -type d | head -n 1)
[[ -f "$top/src/glew.c" ]] || { echo "fetch-glew-source: no src/glew.c in $orig" >&2; exit 1; }
rm -rf "$dest"
mkdir -p "$(dirname "$dest")"
cp -r "$top" "$dest"
echo "GLEW source from $(basename "$orig") in $dest"
