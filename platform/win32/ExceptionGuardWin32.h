#pragma once

// The screen-saver host's exception guard on Windows.
namespace platform {
namespace win32 {

// From here on, an exception that nothing else handles, on any thread, is offered to
// the system's UnhandledExceptionFilter. When the system decides that the process ends
// (EXCEPTION_EXECUTE_HANDLER), the system is told that the saver no longer runs and the
// process ends with -1, the host's result for it; any other decision stands as it is.
// Called once, on the main thread, before the host runs.
void InstallExceptionGuard();

}  // namespace win32
}  // namespace platform
