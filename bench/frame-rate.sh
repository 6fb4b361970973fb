#!/usr/bin/env bash
# Frame cost of the whole saver under Xvfb (Mesa llvmpipe) at 1024x768 and 1920x1080,
# beside the empty frame loop's floor (clear and swap through the saver's own window
# and OpenGL binding).
#
# The saver runs with the sample pictures as its collection, the FPS overlay off and
# "Enable VSync control" off, so it draws as fast as it can. Mesa's HUD, hidden and
# updated every frame, dumps each frame's time and fragment-shader invocations; the
# first seconds (shader compilation, the cloud still small) are left out. With
# "Enable VSync control" on, one more run shows the processor time the paced loop takes.
#
# Usage: bench/frame-rate.sh [build folder] [seconds per run] [WxH ...]
#   ZEN_BENCH_SAVER=path   measure another build of the saver (e.g. an older one)
#   ZEN_BENCH_VSYNC=0      skip the runs with "Enable VSync control" on
#   ZEN_BENCH_FIXED_SEED=1 the same scene on every run (the clock the scene is seeded
#                          from is held at one second): for comparing builds
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(readlink -f "${1:-build}")"
seconds="${2:-40}"
shift $(($# < 2 ? $# : 2))
sizes=("$@")
((${#sizes[@]} > 0)) || sizes=(1024x768 1920x1080)
warmup=5
cmake --build "$build" -j2 --target zentharis EmptyFrameLoopBench zen_fixed_seed > /dev/null
preload=""
[[ "${ZEN_BENCH_FIXED_SEED:-0}" == 1 ]] && preload="$build/bench/libzen_fixed_seed.so"
saver="$(readlink -f "${ZEN_BENCH_SAVER:-$build/zentharis}")"
pictures="$build/sample-pictures"

work="$(mktemp -d "${TMPDIR:-/tmp}/zentharis-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cp "$saver" "$work/zentharis"

# Per-frame figures of one HUD dump, frames of the first $warmup seconds left out.
summarise() {
  local dir="$1"
  paste "$dir/frametime_(ms)" "$dir/ps_invocations" |
    awk -v warmup="$warmup" '{ clock += $1; if (clock > warmup * 1000) print }' |
    sort -n -k1,1 |
    awk '
      { n++; t[n] = $1; total += $1; fragments += $2 }
      END {
        if (n == 0) { print "no frames measured"; exit 1 }
        printf "%7.1f fps  median %6.2f ms  p99 %6.2f ms  worst %7.2f ms  %5.2f M fragments/frame  (%d frames)\n",
          n * 1000 / total, t[int((n + 1) / 2)], t[int(n * 0.99 + 0.5)], t[n], fragments / n / 1e6, n
      }'
}

# run_saver <WxH> <EnableVSync>: prints the frame figures and the processor use.
run_saver() {
  local size="$1" vsync="$2"
  rm -rf "$work/config" "$work/hud" "$work/zentharis.log"
  mkdir -p "$work/config/Vorelund" "$work/hud"
  printf 'EnableFPS=0\nEnableVSync=%s\nSlideshowPictures=1%s\n' "$vsync" "$pictures" \
    > "$work/config/Vorelund/Zentharis screensaver.conf"
  XDG_CONFIG_HOME="$work/config" ALSOFT_DRIVERS=null \
    GALLIUM_HUD="frametime,ps-invocations" GALLIUM_HUD_PERIOD=0 GALLIUM_HUD_VISIBLE=false \
    GALLIUM_HUD_DUMP_DIR="$work/hud" \
    xvfb-run -a -s "-screen 0 ${size}x24 -noreset" bash -c '
      cpu_seconds() { awk -v hz="$(getconf CLK_TCK)" "{ sub(/^.*\\) /, \"\"); print (\$12 + \$13) / hz }" "/proc/$1/stat"; }
      server="$(pgrep -P "$PPID" Xvfb || true)"
      LD_PRELOAD="$4" "$1" /s & saver=$!
      sleep "$3"
      saverStart="$(cpu_seconds "$saver")"; serverStart="$(cpu_seconds "$server")"
      sleep "$(($2 - $3))"
      saverEnd="$(cpu_seconds "$saver")"; serverEnd="$(cpu_seconds "$server")"
      xdotool key space
      wait "$saver"
      echo "$saverEnd $saverStart $serverEnd $serverStart $(($2 - $3))"
    ' _ "$work/zentharis" "$seconds" "$warmup" "$preload" > "$work/cpu"
  if [[ ! -s "$work/hud/frametime_(ms)" ]]; then
    echo "the saver drew nothing; its log:" >&2
    cat "$work/zentharis.log" >&2
    return 1
  fi
  printf '%-31s %s\n' "whole saver, VSync control ${vsync}:" "$(summarise "$work/hud")"
  # Processor time over the same stretch, per second and per frame.
  local frames
  frames="$(awk -v warmup="$warmup" '{ clock += $1 } clock > warmup * 1000 { n++ } END { print n + 0 }' "$work/hud/frametime_(ms)")"
  awk -v n="$frames" '{ t = $5; s = $1 - $2; x = $3 - $4
    printf "%31s saver %3.0f %% of one core (%5.2f ms a frame), X server %3.0f %%\n", "processor:",
      100 * s / t, (n > 0 ? 1000 * s / n : 0), 100 * x / t }' "$work/cpu"
}

echo "saver: $saver${preload:+ (scene seed fixed)}"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg), ${seconds} s per run, first ${warmup} s left out"
for size in "${sizes[@]}"; do
  echo "== ${size}"
  xvfb-run -a -s "-screen 0 ${size}x24 -noreset" "$build/bench/EmptyFrameLoopBench" \
    --benchmark_filter='BM_EmptyFrameLoop/' --benchmark_format=csv 2> /dev/null |
    awk -F, '/^"BM_EmptyFrameLoop/ { printf "%-31s %7.1f fps  %6.2f ms a frame\n", "empty frame loop:", 1e6 / $3, $3 / 1000 }'
  run_saver "$size" 0
  [[ "${ZEN_BENCH_VSYNC:-1}" == 0 ]] || run_saver "$size" 1
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
