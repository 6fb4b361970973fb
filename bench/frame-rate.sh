#!/usr/bin/env bash
# Frame cost of the whole saver under Xvfb (Mesa llvmpipe) at 1024x768 and 1920x1080,
# beside the empty frame loop's floor (clear and swap through the saver's own window
# and OpenGL binding).
#
# The saver runs with the sample pictures as its collection, the FPS overlay off and
# "Enable VSync control" off, so it draws as fast as it can. A preload stamps every
# swap (bench/posix/SwapStampPreload.c); the frame times are the stamps' differences,
# the first seconds (shader compilation, the cloud still small) left out. With
# "Enable VSync control" on, one more run shows the processor time the paced loop takes.
#
# Usage: bench/frame-rate.sh [build folder] [seconds per run] [WxH ...]
#   ZEN_BENCH_SAVER=path     measure another build of the saver (e.g. an older one)
#   ZEN_BENCH_VSYNC=0        skip the runs with "Enable VSync control" on
#   ZEN_BENCH_FIXED_SEED=1   the same scene on every run (the clock the scene is seeded
#                            from is held at one second): for comparing builds
#   ZEN_BENCH_FRAGMENTS=1    one more free-running run under Mesa's HUD for the fragments
#                            shaded per frame (the HUD's queries slow the frames it counts)
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(readlink -f "${1:-build}")"
seconds="${2:-40}"
shift $(($# < 2 ? $# : 2))
sizes=("$@")
((${#sizes[@]} > 0)) || sizes=(1024x768 1920x1080)
warmup=5
cmake --build "$build" -j2 --target zentharis EmptyFrameLoopBench zen_fixed_seed zen_swap_stamps > /dev/null
preload="$build/bench/libzen_swap_stamps.so"
seedNote=""
if [[ "${ZEN_BENCH_FIXED_SEED:-0}" == 1 ]]; then
  preload="$preload $build/bench/libzen_fixed_seed.so"
  seedNote=" (scene seed fixed)"
fi
saver="$(readlink -f "${ZEN_BENCH_SAVER:-$build/zentharis}")"
pictures="$build/sample-pictures"

work="$(mktemp -d "${TMPDIR:-/tmp}/zentharis-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cp "$saver" "$work/zentharis"

# Frame times from the swap stamps inside the measured window (monotonic seconds).
summarise() {
  local stamps="$1" from="$2" to="$3"
  awk -v from="$from" -v to="$to" '$1 > from && $1 <= to' "$stamps" |
    awk 'NR > 1 { print ($1 - last) * 1000 } { last = $1 }' |
    sort -n |
    awk '
      { n++; t[n] = $1; total += $1 }
      END {
        if (n == 0) { print "no frames measured"; exit 1 }
        printf "%7.1f fps  median %6.2f ms  p99 %6.2f ms  worst %7.2f ms  (%d frames)\n",
          n * 1000 / total, t[int((n + 1) / 2)], t[int(n * 0.99 + 0.5)], t[n], n
      }'
}

# run_saver <WxH> <EnableVSync> [hud]: prints the frame figures and the processor use,
# or with "hud" the fragments shaded per frame.
run_saver() {
  local size="$1" vsync="$2" hud="${3:-}"
  rm -rf "$work/config" "$work/hud" "$work/zentharis.log" "$work/stamps"
  mkdir -p "$work/config/Vorelund" "$work/hud"
  printf 'EnableFPS=0\nEnableVSync=%s\nSlideshowPictures=1%s\n' "$vsync" "$pictures" \
    > "$work/config/Vorelund/Zentharis screensaver.conf"
  local hudEnvironment=()
  [[ -n "$hud" ]] && hudEnvironment=(GALLIUM_HUD=frametime,ps-invocations GALLIUM_HUD_PERIOD=0
    GALLIUM_HUD_VISIBLE=false GALLIUM_HUD_DUMP_DIR="$work/hud")
  env XDG_CONFIG_HOME="$work/config" ALSOFT_DRIVERS=null ZEN_SWAP_STAMPS="$work/stamps" \
    "${hudEnvironment[@]}" \
    xvfb-run -a -s "-screen 0 ${size}x24 -noreset" bash -c '
      cpu_seconds() { awk -v hz="$(getconf CLK_TCK)" "{ sub(/^.*\\) /, \"\"); print (\$12 + \$13) / hz }" "/proc/$1/stat"; }
      # The first figure of /proc/uptime is the monotonic clock the stamps are in.
      clock() { cut -d" " -f1 /proc/uptime; }
      server="$(pgrep -P "$PPID" Xvfb || true)"
      LD_PRELOAD="$4" "$1" /s & saver=$!
      sleep "$3"
      saverStart="$(cpu_seconds "$saver")"; serverStart="$(cpu_seconds "$server")"; from="$(clock)"
      sleep "$(($2 - $3))"
      saverEnd="$(cpu_seconds "$saver")"; serverEnd="$(cpu_seconds "$server")"; to="$(clock)"
      xdotool key space
      wait "$saver"
      echo "$saverEnd $saverStart $serverEnd $serverStart $from $to"
    ' _ "$work/zentharis" "$seconds" "$warmup" "$preload" > "$work/cpu"
  if [[ ! -s "$work/stamps" ]]; then
    echo "the saver drew nothing; its log:" >&2
    cat "$work/zentharis.log" >&2
    return 1
  fi
  local from to
  read -r _ _ _ _ from to < "$work/cpu"
  if [[ -n "$hud" ]]; then
    paste "$work/hud/frametime_(ms)" "$work/hud/ps_invocations" |
      awk -v warmup="$warmup" '{ clock += $1 } clock > warmup * 1000 { n++; f += $2 }
        END { printf "%-31s %5.2f M fragments/frame\n", "under the HUD, VSync control 0:", f / n / 1e6 }'
    return 0
  fi
  printf '%-31s %s\n' "whole saver, VSync control ${vsync}:" "$(summarise "$work/stamps" "$from" "$to")"
  # Processor time over the same stretch, per second and per frame.
  local frames
  frames="$(awk -v from="$from" -v to="$to" '$1 > from && $1 <= to { n++ } END { print n + 0 }' "$work/stamps")"
  awk -v n="$frames" '{ t = $6 - $5; s = $1 - $2; x = $3 - $4
    printf "%31s saver %3.0f %% of one core (%5.2f ms a frame), X server %3.0f %%\n", "processor:",
      100 * s / t, (n > 0 ? 1000 * s / n : 0), 100 * x / t }' "$work/cpu"
}

echo "saver: $saver$seedNote"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg), ${seconds} s per run, first ${warmup} s left out"
for size in "${sizes[@]}"; do
  echo "== ${size}"
  xvfb-run -a -s "-screen 0 ${size}x24 -noreset" "$build/bench/EmptyFrameLoopBench" \
    --benchmark_filter='BM_EmptyFrameLoop/' --benchmark_format=csv 2> /dev/null |
    awk -F, '/^"BM_EmptyFrameLoop/ { printf "%-31s %7.1f fps  %6.2f ms a frame\n", "empty frame loop:", 1e6 / $3, $3 / 1000 }'
  run_saver "$size" 0
  [[ "${ZEN_BENCH_VSYNC:-1}" == 0 ]] || run_saver "$size" 1
  [[ "${ZEN_BENCH_FRAGMENTS:-0}" != 1 ]] || run_saver "$size" 0 hud
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
