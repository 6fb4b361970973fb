// GCC has no __try/__except, so the guard is the process's top-level exception filter:
// the system consults it exactly when no frame handler took an exception, and on every
// thread, so a fault of the render thread ends the saver as one of the window thread
// does. A vectored handler would not do: it sees every exception first, also those a
// handler further down takes (the C++ runtime's own, for one).
#include "platform/win32/ExceptionGuardWin32.h"

#include <windows.h>

#include "platform/win32/SaverPasswordWin32.h"

namespace platform {
namespace win32 {

namespace {

// The filter in place before the guard's: the C runtime's, which turns faults into
// signals for their handlers and lets an uncaught C++ exception reach std::terminate.
LPTOP_LEVEL_EXCEPTION_FILTER earlierFilter = nullptr;
// Non-null on a thread while the guard waits for the system's decision.
DWORD askingSlot = TLS_OUT_OF_INDEXES;

LONG WINAPI GuardFilter(EXCEPTION_POINTERS* exception)
{
    // The system's filter consults the top-level filter, this one, again: there the
    // earlier filter answers, so the system decides as it would without the guard.
    if (TlsGetValue(askingSlot) != nullptr)
        return earlierFilter != nullptr ? earlierFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
    TlsSetValue(askingSlot, exception);
    const LONG decision = UnhandledExceptionFilter(exception);
    TlsSetValue(askingSlot, nullptr);
    if (decision != EXCEPTION_EXECUTE_HANDLER)
        return decision;
    SetSaverRunning(false);
    // Not ExitProcess: it would run every library's detach and exit handlers after a
    // fault, while threads it stops may hold the locks those handlers wait on. The log
    // is flushed record by record, so nothing is lost.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(-1));
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void InstallExceptionGuard()
{
    // Without its slot the guard could not tell its own question from a new exception.
    askingSlot = TlsAlloc();
    if (askingSlot == TLS_OUT_OF_INDEXES)
        return;
    earlierFilter = SetUnhandledExceptionFilter(GuardFilter);
}

}  // namespace win32
}  // namespace platform
