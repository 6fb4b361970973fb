#!/usr/bin/env bash
# The screen-saver daemons' conventions: -window-id (hexadecimal or decimal) and -root
# (the window named by XSCREENSAVER_WINDOW, or the root window) draw inside that window
# as the preview does, input does not close them, and two copies (one per monitor
# window) draw at the same time. -fps and -no-fps override the stored setting for one
# run. Lines that cannot be followed end with 255 and open nothing. A failed start
# shows no message box there.
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
saver_test_setup "$0" "$@"
write_settings 0 0

watch_top_level
for arguments in "-window-id" "-window-id 0" "-window-id 0x" "-window-id 0xZZ" "-window-id 12abc" \
  "-window-id 99999999999" "-window-id 0x7ffffff0" "-root -window-id 5" "-fps" "-root -bogus" \
  "--root extra"; do
  status=0
  # shellcheck disable=SC2086
  timeout 20 "$SAVER" $arguments 2> /dev/null || status=$?
  [[ "$status" == 255 ]] || fail "'$arguments' ended with $status"
  count_top_level
  ((TOP_LEVEL_MADE == 0)) || fail "'$arguments' made $TOP_LEVEL_MADE windows"
done
status=0
XSCREENSAVER_WINDOW=nonsense timeout 20 "$SAVER" -root 2> /dev/null || status=$?
[[ "$status" == 255 ]] || fail "-root with a malformed XSCREENSAVER_WINDOW ended with $status"
count_top_level
((TOP_LEVEL_MADE == 0)) || fail "-root with a malformed XSCREENSAVER_WINDOW made $TOP_LEVEL_MADE windows"

# Two monitor windows, as a daemon makes them: one copy is given its window by
# -window-id in hexadecimal, the other by XSCREENSAVER_WINDOW in decimal with --root.
xev -event structure -geometry 480x360+0+0 -name zen-monitor-1 > /dev/null &
monitor_pids=($!)
xev -event structure -geometry 480x360+520+0 -name zen-monitor-2 > /dev/null &
monitor_pids+=($!)
BACKGROUND_PIDS+=("${monitor_pids[@]}")
monitor1="$(wait_for_window zen-monitor-1)" || fail "no first monitor window"
monitor2="$(wait_for_window zen-monitor-2)" || fail "no second monitor window"

rm -f "$LOG"
"$SAVER" -window-id "$(printf '0x%x' "$monitor1")" -no-fps 2> "$WORK/stderr1" &
first=$!
BACKGROUND_PIDS+=($first)
XSCREENSAVER_WINDOW="$((monitor2))" "$SAVER" --root --fps 2> "$WORK/stderr2" &
second=$!
BACKGROUND_PIDS+=($second)
wait_for_records "   Notify : Scene has been initialized successfully" 2 120 || fail "the two copies did not both start"
children=()
for monitor in $monitor1 $monitor2; do
  child="$(xwininfo -children -id "$monitor" | awk '/^ +0x/ { print $1; exit }')"
  [[ -n "$child" ]] || fail "nothing drawn inside monitor window $monitor"
  xwininfo -id "$child" | grep -q "Width: 480" || fail "the saver does not fill monitor window $monitor"
  children+=("$child")
done
expect_scene "$monitor1" monitor-1
expect_scene "$monitor2" monitor-2
for pid in $first $second; do kill -0 "$pid" 2> /dev/null || fail "a copy ended by itself"; done

# Input does not close them; the daemon decides.
xdotool mousemove 100 100 click 1 key a mousemove_relative -- 50 50
sleep 1
for pid in $first $second; do kill -0 "$pid" 2> /dev/null || fail "input closed a copy"; done

# Each copy ends alone: the other, still drawing in its monitor window, is not touched.
kill -TERM "$first"
status=0
wait "$first" || status=$?
[[ "$status" == 0 ]] || fail "the first copy ended with $status after SIGTERM"
xwininfo -id "${children[1]}" > /dev/null 2>&1 || fail "the second copy's window went with the first copy"
kill -0 "$second" 2> /dev/null || fail "the second copy ended with the first"
kill -TERM "$second"
status=0
wait "$second" || status=$?
[[ "$status" == 0 ]] || fail "the second copy ended with $status after SIGTERM"
(($(count_records "   Notify : Common uninstall has finished properly") == 2)) || fail "a copy did not tear down"
(($(count_records "   Notify : FPS = -1") == 1)) || fail "-no-fps and --fps did not override the stored setting"
grep -qE '^   Notify : FPS = [0-9]' "$LOG" || fail "the copy with --fps measured no frame rate"

# A start that fails in a daemon's window says why on the error output, which the daemon
# keeps: a message box there could outlive the run.
rm -f "$LOG"
count_top_level
MESA_GL_VERSION_OVERRIDE=1.5 start_saver -window-id "$monitor1"
wait_saver_exit 30
[[ "$SAVER_STATUS" == 0 ]] || fail "a failed start in a daemon's window ended with $SAVER_STATUS"
count_top_level
((TOP_LEVEL_MADE == 0)) || fail "a failed start in a daemon's window made $TOP_LEVEL_MADE top-level windows: a message box"
grep -qxF "Sorry, this application requires OpenGL 2.0" "$WORK/stderr" || fail "no failure text: $(cat "$WORK/stderr")"
grep -qxF "(!)Error : Can not initialize OpenGL 2.0" "$LOG" || fail "the failure was not logged"
expect_log_ends_properly

# -root without the variable: the root window, with the monitor windows closed so that
# nothing covers it.
kill "${monitor_pids[@]}"
wait "${monitor_pids[@]}" 2> /dev/null || true
rm -f "$LOG"
start_saver -root
wait_for_log "Scene has been initialized successfully" 60 || fail "-root did not start"
child="$(wait_for_window "Preview")" || fail "no window inside the root window"
xwininfo -id "$child" | grep -q "Width: 1024" || fail "the saver does not fill the root window"
expect_scene "$(xwininfo -root | awk '/Window id/ { print $4 }')" root-window
kill -TERM "$SAVER_PID"
wait_saver_exit 30
[[ "$SAVER_STATUS" == 0 ]] || fail "-root ended with $SAVER_STATUS after SIGTERM"
expect_log_ends_properly
echo PASS
