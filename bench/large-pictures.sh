#!/usr/bin/env bash
# Decode time and peak memory of the large JPEGs (tools/make_large_jpegs: 48 to 200
# megapixels, baseline and progressive, and one of 100 MB), one process a picture,
# natively and, when a Windows build is given, under Wine.
#
#   bench/large-pictures.sh [native build] [windows build] [runs]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
native=$(cd "${1:-$here/build}" && pwd)
windows=${2:-}
runs=${3:-3}
folder="$native/large-jpegs"
"$native/make_large_jpegs" "$folder"

echo "== native ($native)"
for file in "$folder"/*.jpg; do
  printf '%-24s %s\n' "$(basename "$file")" "$("$native/bench/LargePictureDecode" "$file" "$runs")"
done
if [[ -n "$windows" ]]; then
  windows=$(cd "$windows" && pwd)
  echo "== Windows under Wine ($windows)"
  for file in "$folder"/*.jpg; do
    result=$(WINEPREFIX="$windows/wine-prefix-unit" bash "$here/scripts/wine-run.sh" \
      "$windows/LargePictureDecode.exe" "Z:${file//\//\\}" "$runs" 2> /dev/null | tr -d '\r')
    printf '%-24s %s\n' "$(basename "$file")" "$result"
  done
fi
