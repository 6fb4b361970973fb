#!/usr/bin/env bash
# Worst frame time beside the median while the tentacle shows 4000 x 3000 JPEGs (made
# here at bench time), the whole scene drawn at 1024x768 under Xvfb, swap interval 0.
# The run lasts long enough for at least two discs.
# A picture folder of one's own replaces the JPEGs (an empty one shows what the
# machine alone costs).
# Usage: bench/disc-frame-time.sh [build folder] [seconds] [picture folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build}" && pwd)"
seconds="${2:-70}"
pictures=()
[[ -n "${3:-}" ]] && pictures=("$(readlink -f "$3")")
cmake --build "$build" -j2 --target DiscFrameTimeBench > /dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config"
cd "$work"
XDG_CONFIG_HOME="$work/config" ALSOFT_DRIVERS=null \
  xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$build/bench/DiscFrameTimeBench" "$seconds" "${pictures[@]}"
