#!/usr/bin/env bash
# The preview runs in a child of the given window, fills it, draws the moving scene
# there and follows its size, ignores input, and ends with 0 when the parent window is
# destroyed (several times, since the window vanishes under a drawing thread).
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
saver_test_setup "$0" "$@"
write_settings 1 0

XEV_PID=""
stop_parent() { [[ -n "$XEV_PID" ]] && kill "$XEV_PID" 2> /dev/null; wait "$XEV_PID" 2> /dev/null || true; XEV_PID=""; }

for round in 1 2 3; do
  # xev makes a plain window and prints nothing we need; "structure" keeps it from
  # redirecting its children's mapping.
  xev -event structure -geometry 320x240+10+10 -name "zen-parent-$round" > /dev/null &
  XEV_PID=$!
  parent="$(wait_for_window "zen-parent-$round")" || fail "no parent window"
  start_saver /p "$((parent))"
  child="$(wait_for_window "Preview")" || fail "round $round: no preview window"
  xwininfo -children -id "$parent" | grep -q "$(printf '0x%x' "$child")" || fail "preview is not a child of the parent"
  xwininfo -id "$child" | grep -q "Width: 320" || fail "preview does not fill the parent"
  wait_for_log "Scene has been initialized successfully" || fail "the scene did not start"

  if [[ $round == 1 ]]; then
    expect_scene "$parent" preview-320x240
    xdotool windowsize "$parent" 200 150
    deadline=$((SECONDS + 10))
    until xwininfo -id "$child" | grep -q "Width: 200"; do
      ((SECONDS < deadline)) || fail "preview did not follow the parent's width"
      sleep 0.1
    done
    xwininfo -id "$child" | grep -q "Height: 150" || fail "preview did not follow the parent's height"
    expect_scene "$parent" preview-200x150
    xdotool mousemove 60 60 click 1 key a mousemove_relative -- 40 40
    sleep 1
    expect_running "input closed the preview"
  fi
  sleep 0.$((round * 3))
  stop_parent
  wait_saver_exit 20
  status="$SAVER_STATUS"
  [[ "$status" == 0 ]] || fail "round $round: exit status $status after the parent went away"
  expect_log_ends_properly
done
echo PASS
