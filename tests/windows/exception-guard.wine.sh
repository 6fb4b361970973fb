#!/usr/bin/env bash
# zentharis.scr /s under Wine, faulting while it draws: a thread that the fault injector
# starts in the saver's process jumps to an address holding no code. No debugger can be
# started, so the system's UnhandledExceptionFilter decides that the process ends; the
# saver's exception guard then tells the system that no saver runs any longer and ends
# the process with -1 (255 to the shell). Without the guard the process would end with
# the fault's own code (0xC0000005, 5 to the shell) and the system would still count a
# saver as running. The log stops where the fault struck: nothing was torn down.
# The injector first loads a library into the saver whose detach handler waits for a
# worker that the exit stops: an exit that ran the libraries' detach handlers after the
# fault would never end, as one did now and then when a stopped thread held a lock.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"

# Wine's just-in-time debugger would wait on its own window: a debugger that cannot be
# started stands for a system where none is set up. The prefix is shared: it is put back.
aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
debugger="$("$WINE_RUN" reg query "$aedebug" /v Debugger 2> /dev/null | tr -d '\r' |
  sed -n 's/^ *Debugger *REG_SZ *//p')"
"$WINE_RUN" reg add "$aedebug" /v Debugger /t REG_SZ /d "no-such-debugger.exe %ld %ld" /f > /dev/null 2>&1 ||
  fail "cannot set the debugger"
if [[ -n "$debugger" ]]; then
  WINE_TEST_UNDO='"$WINE_RUN" reg add "$aedebug" /v Debugger /t REG_SZ /d "$debugger" /f > /dev/null 2>&1'
else
  WINE_TEST_UNDO='"$WINE_RUN" reg delete "$aedebug" /v Debugger /f > /dev/null 2>&1'
fi

start_saver /s
wait_for_log "Scene has been initialized successfully" 90 || fail "the scene did not start"
wait_for_frame_periods 2 60
"$WINE_RUN" "$FAULT_INJECTOR" > "$WORK/injector.out" 2>&1 || fail "the injector failed: $(tr -d '\r' < "$WORK/injector.out")"
injector_says() { tr -d '\r' < "$WORK/injector.out"; }
injector_says | grep -q "^fault started" || fail "no fault was started: $(injector_says)"
wait_saver_exit 30
grep -q "Unhandled page fault" "$WORK/stderr" || fail "the fault did not reach the system's filter: $(cat "$WORK/stderr")"
[[ "$SAVER_STATUS" == 255 ]] || fail "exit status $SAVER_STATUS after the fault, not 255 (-1)"
injector_says | grep -q "^saver exit code -1$" || fail "the saver's exit code: $(injector_says)"
"$WINE_RUN" "$FAULT_INJECTOR" --running > "$WORK/running.out" 2>&1 || fail "cannot read the saver-running flag"
tr -d '\r' < "$WORK/running.out" | grep -q "^saver running 0$" ||
  fail "the system still counts a saver as running: $(tr -d '\r' < "$WORK/running.out")"

plain_log | grep -q "^   Notify : Scene has been initialized successfully$" || fail "the log lost its records"
! plain_log | grep -q "Start common uninstall" || fail "the saver tore down after the fault"
echo PASS
