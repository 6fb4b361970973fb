#!/usr/bin/env bash
# zentharis.scr /s under Wine on an OpenGL older than 2.0: the log records the failure
# and the teardown, a message box titled "Screen saver" tells the user, and once it is
# dismissed the saver ends with exit code 0.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"

MESA_GL_VERSION_OVERRIDE=1.5 start_saver /s
wait_for_log "Common uninstall has finished properly" 90 || fail "the failed start did not tear down"
box="$(wait_for_window "Screen saver" 30)" || fail "no message box titled Screen saver"
expect_running "the saver ended before the box was dismissed"
sleep 1
import -window "$box" "$WORK/box.png"  # to look at with ZEN_KEEP_WORK=1
xdotool windowactivate --sync "$box" 2> /dev/null || xdotool windowfocus --sync "$box" 2> /dev/null || true
xdotool key --window "$box" Return
wait_saver_exit 30
[[ "$SAVER_STATUS" == 0 ]] || fail "exit status $SAVER_STATUS after the box"
expect_wine_records_in_order \
  "   Notify : GLEW initialized" \
  "(!)Error : Can not initialize OpenGL 2.0" \
  "   Notify : Error of common initialization" \
  "   Notify : Start common uninstall" \
  "   Notify : Common uninstall has finished properly" \
  "   Notify : FPS = -1"
! plain_log | grep -q "OpenGL 2.0 is found" || fail "OpenGL 2.0 was found after all"
echo PASS
