#!/usr/bin/env bash
# Start-up time to the first drawn frame at 1024x768 (Mesa llvmpipe under Xvfb): the
# saver is started inside a window, as a screen-saver daemon starts it, and every log
# record is timed on the way, so the wait splits into its steps. "first frame" is when
# the window first shows something other than black.
# Usage: bench/startup-time.sh [build folder] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
runs="${2:-5}"
cmake --build "$build" -j2 --target zentharis StartupTime > /dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$build/zentharis" "$work/zentharis"
mkdir -p "$work/config/Vorelund"
printf 'EnableFPS=0\nEnableVSync=1\nSlideshowPictures=\n' > "$work/config/Vorelund/Zentharis screensaver.conf"
# Niced, as the daemons start their programs. Mesa keeps compiled shaders in a cache
# (~/.cache/mesa_shader_cache): a user's first run compiles them all, later runs mostly
# read them back. Both are measured.
run() {
  XDG_CONFIG_HOME="$work/config" ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1024x768x24 -noreset" \
    nice "$build/bench/StartupTime" "$work/zentharis" "$runs"
}
echo "== shader cache off (a user's first start)"
MESA_SHADER_CACHE_DISABLE=true run
echo
echo "== shader cache warm (later starts)"
XDG_CACHE_HOME="$work/cache" run > /dev/null  # fills the cache
XDG_CACHE_HOME="$work/cache" run
