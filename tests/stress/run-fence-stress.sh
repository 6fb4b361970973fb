#!/usr/bin/env bash
# Runs a GL program under its own Xvfb with the fence delay preload (FenceDelayPreload.c),
# which widens llvmpipe's fence race so that a program exposed to it dies within
# seconds, and reports whether the program survived, how many frames it drew and how
# many fences a frame (bash 5.1 or later: it waits with wait -n -p).
# The program is stopped with SIGTERM at the end: the saver then ends with status 0,
# glxgears by that signal; anything else, earlier or while stopping, is a death.
#
# Usage: tests/stress/run-fence-stress.sh [options] saver [executable]   (build/zentharis)
#        tests/stress/run-fence-stress.sh [options] glxgears             (full screen)
#   --size WxH       screen size (1920x1080)
#   --seconds N      how long the program runs before it is stopped (30)
#   --delay US       microseconds the last rasteriser thread sleeps before waking the
#                    fence's waiters (100; 0 only counts). glxgears is exposed too,
#                    only less: at the preload's own 400 it died in 1 run of 16 at
#                    1920x1080, at 100 in none of 20 runs of 60 s there (but in 1 of 5
#                    at 1024x768, where it draws 500 frames a second); a saver with
#                    four fences a frame died within 4 s at 100.
#   --preload PATH   the preload (build/tests/stress/libzen_fence_delay.so)
#   --pictures DIR   the saver's collection (build/sample-pictures)
#   --keep           keep the run's folder (log, output, counts) and print its path
# The last line sums the run up as key=value pairs after "RESULT".
# Exit status: 0 survived and stopped cleanly; 1 died, froze (no frame in the last
# seconds), ended by itself or did not end on SIGTERM; 2 usage or files wrong; 77 tools
# missing.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
script="$(readlink -f "$0")"

if [[ -z "${ZEN_FENCE_STRESS_WORK:-}" ]]; then
  size=1920x1080 seconds=30 delay=100 keep=0
  preload="$root/build/tests/stress/libzen_fence_delay.so"
  pictures="$root/build/sample-pictures"
  while [[ $# -gt 0 && "$1" == --* ]]; do
    case "$1" in
      --keep) keep=1; shift; continue ;;
      --size) size="$2" ;;
      --seconds) seconds="$2" ;;
      --delay) delay="$2" ;;
      --preload) preload="$2" ;;
      --pictures) pictures="$2" ;;
      *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift 2
  done
  program="${1:?usage: run-fence-stress.sh [options] saver [executable] | glxgears}"
  [[ "$size" =~ ^[0-9]+x[0-9]+$ && "$seconds" =~ ^[0-9]+$ && "$delay" =~ ^[0-9]+$ ]] ||
    { echo "--size WxH, --seconds and --delay take whole numbers" >&2; exit 2; }
  for tool in xvfb-run Xvfb $([[ "$program" == glxgears ]] && echo glxgears); do
    command -v "$tool" > /dev/null || { echo "$tool is missing" >&2; exit 77; }
  done
  [[ -f "$preload" ]] || { echo "no preload at $preload (build the zen_fence_delay target)" >&2; exit 2; }

  work="$(mktemp -d "${TMPDIR:-/tmp}/zentharis-fence-stress.XXXXXX")"
  if ((keep)); then
    trap 'echo "run folder: $work"' EXIT
  else
    trap 'rm -rf "$work"' EXIT
  fi
  case "$program" in
    saver)
      exe="$(readlink -f "${2:-$root/build/zentharis}")"
      [[ -x "$exe" ]] || { echo "no saver at $exe" >&2; exit 2; }
      # A copy of its own, so that its log (beside the executable) is this run's.
      cp "$exe" "$work/zentharis"
      mkdir -p "$work/config/Vorelund"
      printf 'EnableFPS=0\nEnableVSync=0\nSlideshowPictures=1%s\n' "$(readlink -f "$pictures")" \
        > "$work/config/Vorelund/Zentharis screensaver.conf"
      ;;
    glxgears) ;;
    *) echo "the program is saver or glxgears, not $program" >&2; exit 2 ;;
  esac
  status=0
  ZEN_FENCE_STRESS_WORK="$work" ZEN_FENCE_STRESS_PROGRAM="$program" ZEN_FENCE_STRESS_SIZE="$size" \
    ZEN_FENCE_STRESS_SECONDS="$seconds" ZEN_FENCE_STRESS_DELAY="$delay" \
    ZEN_FENCE_STRESS_PRELOAD="$(readlink -f "$preload")" \
    xvfb-run -a -e "$work/xvfb.log" -s "-screen 0 ${size}x24 -noreset" bash "$script" || status=$?
  exit "$status"
fi

# From here on inside the Xvfb.
work="$ZEN_FENCE_STRESS_WORK"
program="$ZEN_FENCE_STRESS_PROGRAM"
seconds="$ZEN_FENCE_STRESS_SECONDS"
if [[ "$program" == saver ]]; then
  command=("$work/zentharis" /s)
  log="$work/zentharis.log"
  export XDG_CONFIG_HOME="$work/config" ALSOFT_DRIVERS=null GSETTINGS_BACKEND=memory
else
  command=(glxgears -fullscreen)
  log=""
fi
ulimit -c 0

elapsed() { awk -v start="$start" -v now="$EPOCHREALTIME" 'BEGIN { printf "%.1f", now - start }'; }

echo "${command[0]##*/} at $ZEN_FENCE_STRESS_SIZE for $seconds s, fence delay $ZEN_FENCE_STRESS_DELAY us (load $(cut -d' ' -f1-3 /proc/loadavg))"
start="$EPOCHREALTIME"
LD_PRELOAD="$ZEN_FENCE_STRESS_PRELOAD" ZEN_FENCE_DELAY_US="$ZEN_FENCE_STRESS_DELAY" \
  ZEN_FENCE_COUNT_FILE="$work/counts" "${command[@]}" > "$work/output" 2>&1 &
pid=$!

count() { awk -v key="$1" '$1 == key { print $2 }' "$work/counts" 2> /dev/null || true; }

# wait_for_end <seconds>: waits for the program's end or the time, whichever comes first;
# sets ended (whose end was seen) and status.
wait_for_end() {
  sleep "$1" &
  local timer=$!
  set +e
  # The report below tells a death; the shell's own notice of it is left out.
  wait -n -p ended "$pid" "$timer" 2> /dev/null
  status=$?
  set -e
  [[ "$ended" == "$timer" ]] || kill "$timer" 2> /dev/null || true
}

# A program that stops drawing (a lock the race broke) is no survivor either: its
# frames must move during the last seconds.
quiet=$((seconds > 10 ? 5 : seconds / 2))
outcome=survived
framesBefore=""
wait_for_end $((seconds - quiet))
[[ "$ended" == "$pid" ]] || { framesBefore="$(count swaps)"; wait_for_end "$quiet"; }
at="$(elapsed)"
if [[ "$ended" == "$pid" ]]; then
  outcome=died
  [[ "$status" == 0 ]] && outcome=ended
else
  [[ "$(count swaps)" == "$framesBefore" ]] && outcome=froze
  kill -TERM "$pid"
  wait_for_end 20
  if [[ "$ended" != "$pid" ]]; then
    kill -KILL "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
    outcome=hung
  # The saver ends a SIGTERM with status 0; glxgears has no handler and ends by it.
  elif [[ "$outcome" == survived && "$status" != 0 && ! ("$program" == glxgears && "$status" == 143) ]]; then
    outcome=died
    at="$(elapsed)"
  fi
fi

signal=none
((status > 128)) && signal="SIG$(kill -l $((status - 128)))"
fences="$(count fences)" frames="$(count swaps)"
fences="${fences:-0}" frames="${frames:-0}"
perFrame="$(awk -v f="$fences" -v n="$frames" 'BEGIN { printf "%.2f", (n > 0 ? f / n : 0) }')"

case "$outcome" in
  survived) echo "survived $seconds s and stopped cleanly on SIGTERM (exit status $status)" ;;
  died) echo "DIED after $at s: exit status $status, signal $signal" ;;
  ended) echo "ENDED by itself after $at s with exit status 0" ;;
  froze) echo "FROZE: no frame in the last $quiet s of $seconds s" ;;
  hung) echo "did not end within 20 s of SIGTERM" ;;
esac
echo "frames $frames, fences $fences, $perFrame fences a frame (counted up to 100 ms before the end)"
if [[ "$outcome" != survived ]]; then
  if [[ -s "$work/output" ]]; then
    echo "--- last lines of the program's output:"
    tail -n 8 "$work/output"
  fi
  if [[ -n "$log" && -f "$log" ]]; then
    echo "--- last lines of ${log##*/}:"
    tail -n 8 "$log"
  fi
fi
echo "RESULT program=$program size=$ZEN_FENCE_STRESS_SIZE seconds=$seconds delay_us=$ZEN_FENCE_STRESS_DELAY outcome=$outcome at=$at status=$status signal=$signal frames=$frames fences=$fences fences_per_frame=$perFrame"

[[ "$outcome" == survived ]] || exit 1
