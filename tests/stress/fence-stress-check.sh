#!/usr/bin/env bash
# The saver survives 30 s at 1920x1080 with llvmpipe's fence race made frequent. glxgears
# runs first under the same preload and delay as the control: should it die, the
# harness is at fault, not the saver.
# Usage: fence-stress-check.sh <saver> <preload> <pictures>
set -euo pipefail
here="$(dirname "$0")"
saver="$1" preload="$2" pictures="$3"

result="$(mktemp)"
trap 'rm -f "$result"' EXIT

status=0
bash "$here/run-fence-stress.sh" --seconds 20 --preload "$preload" glxgears || status=$?
case "$status" in
  0) ;;
  77) exit 77 ;;
  1) echo "FAIL: the control (glxgears) did not survive the preload: the harness itself is wrong (or its delay too long for this machine)" >&2; exit 1 ;;
  *) echo "FAIL: the control run could not be judged" >&2; exit 1 ;;
esac

status=0
bash "$here/run-fence-stress.sh" --seconds 30 --preload "$preload" --pictures "$pictures" \
  saver "$saver" | tee "$result" || status=$?
case "$status" in
  0) ;;
  1) echo "FAIL: the saver did not survive llvmpipe's fence race" >&2; exit 1 ;;
  *) echo "FAIL: the saver's run could not be judged" >&2; exit 1 ;;
esac
# A survival proves something only if the delay was taken: at least the swap's fence in
# every frame. Mesa with another layout of its fence would leave the count at 0.
awk '/^RESULT/ { for (i = 2; i <= NF; i++) { split($i, pair, "="); value[pair[1]] = pair[2] } }
  END { exit !(value["frames"] >= 100 && value["fences_per_frame"] >= 1) }' "$result" ||
  { echo "FAIL: the preload delayed too few fences to have tested anything" >&2; exit 1; }
echo PASS
