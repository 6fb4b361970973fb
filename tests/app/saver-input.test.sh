#!/usr/bin/env bash
# A key closes the full-screen saver; a second full-screen saver hands over to the
# first and ends at once; changing the title is refused; losing the focus to another
# window closes it.
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
saver_test_setup "$0" "$@"

start_saver /s
window="$(wait_for_window "Screen Saver")" || fail "no full-screen window"
wait_for_log "Scene has been initialized successfully" || fail "the scene did not start"

# A second instance, with a log of its own.
mkdir "$WORK/second"
cp "$SAVER" "$WORK/second/zentharis"
second_status=0
timeout 20 "$WORK/second/zentharis" /s || second_status=$?
[[ "$second_status" == 0 ]] || fail "second instance exit status $second_status"
! grep -q "Run looping thread" "$WORK/second/zentharis.log" || fail "second instance ran a saver"
[[ "$(windows_titled "Screen Saver" | wc -l)" == 1 ]] || fail "more than one saver window"
expect_running "the second instance closed the first"

xdotool set_window --name "Renamed" "$window"
sleep 0.5
[[ "$(windows_titled "Screen Saver")" == "$window" ]] || fail "the title was changed"
expect_running "a title change closed the saver"

xdotool key a
wait_saver_exit 20
status="$SAVER_STATUS"
[[ "$status" == 0 ]] || fail "exit status $status after a key"
expect_log_ends_properly

xev -event structure -geometry 100x100+10+10 -name "zen-other" > /dev/null &
other_pid=$!
other="$(wait_for_window "zen-other")" || fail "no other window"
start_saver /s
wait_for_window "Screen Saver" > /dev/null || fail "no full-screen window the second time"
wait_for_log "Scene has been initialized successfully" || fail "the scene did not start the second time"
xdotool windowfocus "$other"
wait_saver_exit 20
kill "$other_pid" 2> /dev/null || true
[[ "$SAVER_STATUS" == 0 ]] || fail "exit status $SAVER_STATUS after losing the focus"
expect_log_ends_properly
echo PASS
