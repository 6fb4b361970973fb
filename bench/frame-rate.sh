#!/usr/bin/env bash
# Frame rate at 1024x768 under Xvfb with swap interval 0: the empty frame loop
# (clear and swap through the saver's own window and OpenGL binding, with and without
# the FPS overlay), then the whole saver with its scene, read from its "FPS = " record.
# Usage: bench/frame-rate.sh [build folder] [seconds of the whole-saver run]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
seconds="${2:-10}"
screen=(-s "-screen 0 1024x768x24 -noreset")
cmake --build "$build" -j2 --target zentharis EmptyFrameLoopBench > /dev/null

echo "== empty frame loop"
xvfb-run -a "${screen[@]}" "$build/bench/EmptyFrameLoopBench" --benchmark_counters_tabular=true

echo "== whole saver, EnableFPS=1, EnableVSync=0, ${seconds} s"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$build/zentharis" "$work/zentharis"
mkdir -p "$work/config/Vorelund"
printf 'EnableFPS=1\nEnableVSync=0\nSlideshowPictures=\n' > "$work/config/Vorelund/Zentharis screensaver.conf"
XDG_CONFIG_HOME="$work/config" ALSOFT_DRIVERS=null xvfb-run -a "${screen[@]}" bash -c '
  "$1" /s & saver=$!
  sleep "$2"
  xdotool key space
  wait "$saver"' _ "$work/zentharis" "$seconds"
grep -F "FPS = " "$work/zentharis.log" | tail -n 1 | sed 's/^ *Notify : /whole saver: /'
