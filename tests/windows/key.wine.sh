#!/usr/bin/env bash
# zentharis.scr /s under Wine: a second /s ends at once with 0 and leaves the first
# running; a key press ends the first with exit code 0.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"

start_saver /s
wait_for_log "Scene has been initialized successfully" 90 || fail "the scene did not start"
wait_for_frame_periods 2 60
expect_running "the saver ended by itself"
# A second full-screen saver hands the foreground to the first and ends with 0. It is a
# copy elsewhere: every start truncates the log beside its .scr.
mkdir "$WORK/second"
cp "$SAVER" "$WORK/second/"
second=0
timeout 60 "$WINE_RUN" "$WORK/second/zentharis.scr" /s > /dev/null 2>&1 || second=$?
[[ "$second" == 0 ]] || fail "a second saver ended with $second"
expect_running "a second saver closed the first"
xdotool key a
wait_saver_exit 30
[[ "$SAVER_STATUS" == 0 ]] || fail "exit status $SAVER_STATUS after a key"
expect_wine_records_in_order "   Notify : Start common uninstall" "   Notify : Common uninstall has finished properly"
echo PASS
