#!/usr/bin/env bash
# Start-up time to the first drawn frame at 1024x768 (Mesa llvmpipe under Xvfb): the
# saver is started inside a window, as a screen-saver daemon starts it, and every log
# record is timed on the way, so the wait splits into its steps.
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
XDG_CONFIG_HOME="$work/config" ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1024x768x24 -noreset" \
  "$build/bench/StartupTime" "$work/zentharis" "$runs"
