#!/usr/bin/env bash
# Command lines that name no mode, or a preview without a usable window, end with 255
# and run nothing, not even a window; the log is still started.
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
saver_test_setup "$0" "$@"

watch_top_level
for arguments in "/x" "-q" "/a" "/A 123" "/p" "/p 0" "/p 4000000000" "/l abc" "/?"; do
  status=0
  # shellcheck disable=SC2086
  timeout 20 "$SAVER" $arguments || status=$?
  [[ "$status" == 255 ]] || fail "'$arguments' ended with $status"
  [[ "$(cat "$LOG")" == "   Notify : Application has run" ]] || fail "'$arguments' wrote more than the first record"
  count_top_level
  ((TOP_LEVEL_MADE == 0)) || fail "'$arguments' made $TOP_LEVEL_MADE windows"
done
echo PASS
