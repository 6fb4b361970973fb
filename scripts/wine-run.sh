#!/usr/bin/env bash
# Runs a Windows program under Wine with the build's own prefix: 64-bit, quiet, sound
# through an ALSA null device, created on first use (about 20 s) and shared by every
# test after that. WINEPREFIX from the environment wins; otherwise the prefix lives
# beside the program, under the build folder.
set -euo pipefail
program=${1:?usage: wine-run.sh PROGRAM [ARGS...]}
here=$(cd "$(dirname "$0")" && pwd)
if [[ -z "${WINEPREFIX:-}" ]]; then
  folder=$(cd "$(dirname "$program")" && pwd)
  while [[ "$folder" != / && ! -f "$folder/CMakeCache.txt" ]]; do folder=$(dirname "$folder"); done
  [[ "$folder" == / ]] && folder=$(cd "$(dirname "$program")" && pwd)
  export WINEPREFIX="$folder/wine-prefix"
fi
export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
# DirectSound needs an audio device; the null one takes whatever is played.
if [[ -z "${ALSA_CONFIG_PATH:-}" ]]; then
  export ALSA_CONFIG_PATH="$WINEPREFIX.asoundrc"
  [[ -f "$ALSA_CONFIG_PATH" ]] || printf 'pcm.!default { type null }\n' > "$ALSA_CONFIG_PATH"
fi
bash "$here/wine-prefix.sh" "$WINEPREFIX"
exec wine "$@"
