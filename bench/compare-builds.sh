#!/usr/bin/env bash
# Two builds of the saver free-running in turns (bench/frame-rate.sh with the scene seed
# fixed and "Enable VSync control" off), turn by turn and overall: frames a second,
# processor time a frame, and the after / before ratio.
#
# On a shared machine one build's runs part by up to a third from one minute to the
# next, so a single pair of runs proves little: turns put the drift on both builds
# alike, and the middle ratio is not carried away by one odd minute.
#
# Usage: bench/compare-builds.sh BEFORE AFTER [turns] [seconds per run] [WxH ...]
#   BEFORE, AFTER: the saver executables (e.g. an older checkout's build/zentharis)
#   defaults: 5 turns of 60 s at 1024x768
set -euo pipefail
cd "$(dirname "$0")/.."
if (($# < 2)); then
  sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi
before="$(readlink -f "$1")"
after="$(readlink -f "$2")"
turns="${3:-5}"
seconds="${4:-60}"
shift $(($# < 4 ? $# : 4))
sizes=("$@")
((${#sizes[@]} > 0)) || sizes=(1024x768)
for saver in "$before" "$after"; do
  [[ -x "$saver" ]] || { echo "not an executable: $saver" >&2; exit 2; }
done

# One free-running run: "fps ms-a-frame" from frame-rate.sh's report.
run() {
  local saver=$1 size=$2 report
  report="$(ZEN_BENCH_SAVER="$saver" ZEN_BENCH_VSYNC=0 ZEN_BENCH_FIXED_SEED=1 \
    bash bench/frame-rate.sh build "$seconds" "$size")"
  awk '/VSync control 0:/ { fps = $6 } /processor:/ && fps != "" && ms == "" {
         for (i = 1; i <= NF; ++i) if ($i == "ms" && $(i + 2) == "frame),") ms = $(i - 1)
         gsub(/\(/, "", ms) }
       END { if (fps == "" || ms == "") exit 1; print fps, ms }' <<< "$report"
}

for size in "${sizes[@]}"; do
  echo "== $size: $turns turns of $seconds s, before $before, after $after"
  printf '%-5s %12s %12s %8s %14s %14s\n' turn "before fps" "after fps" ratio "before ms/fr" "after ms/fr"
  results=()
  for ((turn = 1; turn <= turns; ++turn)); do
    read -r beforeFps beforeMs < <(run "$before" "$size")
    read -r afterFps afterMs < <(run "$after" "$size")
    ratio="$(awk -v a="$afterFps" -v b="$beforeFps" 'BEGIN { printf "%.2f", a / b }')"
    printf '%-5s %12s %12s %8s %14s %14s\n' "$turn" "$beforeFps" "$afterFps" "$ratio" "$beforeMs" "$afterMs"
    results+=("$beforeFps $afterFps $ratio $beforeMs $afterMs")
  done
  printf '%s\n' "${results[@]}" | sort -k3,3n | awk '
    { b += $1; a += $2; bm += $4; am += $5; r[NR] = $3 }
    END {
      middle = NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2
      printf "mean fps %.1f -> %.1f (%.2f x), middle ratio %.2f x, processor %.2f -> %.2f ms a frame (%.2f x less)\n",
             b / NR, a / NR, a / b, middle, bm / NR, am / NR, bm / am
    }'
done
