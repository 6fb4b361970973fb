#!/usr/bin/env bash
# zentharis.scr's switches under Wine (an NT-based system): an unknown switch, a preview
# without a usable window and the password change of Windows 9x (/a) all end with -1,
# seen as 255, and open no window.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"

for switches in "/x" "-?" "/p" "/p 0" "/p 99999999" "/p abc" "/a" "/A 123"; do
  read -r -a arguments <<< "$switches"
  run_saver 60 "${arguments[@]}"
  [[ "$SAVER_STATUS" == 255 ]] || fail "'$switches' ended with $SAVER_STATUS, not 255"
  [[ "$(plain_log)" == "   Notify : Application has run" ]] || fail "'$switches' did more than start its log"
done
echo PASS
