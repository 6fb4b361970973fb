#!/usr/bin/env bash
# Fetches a library's source from Debian's own source package into DEST, for the
# Windows build, which links GLEW and libjpeg-turbo statically. The deb-src entries are
# copied from the configured binary sources into a private apt state, so nothing on the
# machine changes and no root is needed. Quick when DEST already holds MARKER (a file
# the source must have, relative to its top folder).
set -euo pipefail
usage="usage: fetch-debian-source.sh PACKAGE DEST MARKER"
package=${1:?$usage}
dest=${2:?$usage}
marker=${3:?$usage}
[[ -f "$dest/$marker" ]] && exit 0

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
(cd "$work/download" && apt-get "${apt_options[@]}" -qq source --download-only "$package")

orig=$(ls "$work"/download/"${package}"_*.orig.tar.* | head -n 1)
mkdir -p "$work/unpacked"
tar -xf "$orig" -C "$work/unpacked"
top=$(find "$work/unpacked" -mindepth 1 -maxdepth 1 -type d | head -n 1)
[[ -f "$top/$marker" ]] || { echo "fetch-debian-source: no $marker in $orig" >&2; exit 1; }
rm -rf "$dest"
mkdir -p "$(dirname "$dest")"
cp -r "$top" "$dest"
echo "$package source from $(basename "$orig") in $dest"
