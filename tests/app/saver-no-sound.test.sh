#!/usr/bin/env bash
# Without a sound device the saver draws silently, says so in its log, and shows no
# message box. Two ways of having none: no usable sound system at all, and a sound
# system whose device does not open.
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
saver_test_setup "$0" "$@"
unset ALSOFT_DRIVERS
printf '[general]\ndrivers=alsa\n[alsa]\ndevice=zentharis-no-such-device\n' > "$WORK/no-device.conf"

round=0
for setting in "ALSOFT_DRIVERS=nonexistent" "ALSOFT_CONF=$WORK/no-device.conf"; do
  round=$((round + 1))
  rm -f "$LOG"  # so that waiting for a record sees this run's log
  env "$setting" "$SAVER" /s 2> "$WORK/stderr" &
  SAVER_PID=$!
  wait_for_log "Scene has been initialized successfully" 60 || fail "$setting: the scene did not start"
  expect_scene "$(wait_for_window "Screen Saver")" "silent-$round"
  expect_running "$setting: the saver ended"
  [[ -z "$(windows_titled "Screen saver")" ]] || fail "$setting: a message box was shown"
  grep -qxF "   Notify : No sound device is available, the saver runs silently" "$LOG" ||
    fail "$setting: no notice of the silent run"
  ! grep -q "(!)Error" "$LOG" || fail "$setting: an error was logged"
  xdotool mousemove_relative -- 9 9
  wait_saver_exit 30
  [[ "$SAVER_STATUS" == 0 ]] || fail "$setting: exit status $SAVER_STATUS"
  expect_log_ends_properly
done

# With a device the notice is not written.
rm -f "$LOG"
ALSOFT_DRIVERS=null start_saver /s
wait_for_log "Scene has been initialized successfully" 60 || fail "the scene did not start with a device"
kill -TERM "$SAVER_PID"
wait_saver_exit 30
! grep -q "runs silently" "$LOG" || fail "a silent run was reported with a device"
echo PASS
