#!/usr/bin/env bash
# Creates the Wine prefix PREFIX once; concurrent callers wait for the first.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX}
[[ -f "$prefix/.zentharis-ready" ]] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9> "$prefix.lock"
flock 9
[[ -f "$prefix/.zentharis-ready" ]] && exit 0
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# No display is needed to make the prefix.
env -u DISPLAY wineboot --init > /dev/null 2>&1 || true
wineserver --wait || true
[[ -f "$prefix/system.reg" ]] || { echo "wine-prefix: wineboot made no prefix at $prefix" >&2; exit 1; }
touch "$prefix/.zentharis-ready"
