#!/usr/bin/env bash
# zentharis.scr /s under Wine ends with exit code 0 when a key is pressed.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"

start_saver /s
wait_for_log "Scene has been initialized successfully" 90 || fail "the scene did not start"
sleep 1
expect_running "the saver ended by itself"
xdotool key a
wait_saver_exit 30
[[ "$SAVER_STATUS" == 0 ]] || fail "exit status $SAVER_STATUS after a key"
expect_wine_records_in_order "   Notify : Start common uninstall" "   Notify : Common uninstall has finished properly"
echo PASS
