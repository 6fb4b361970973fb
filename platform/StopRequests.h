#pragma once

// Requests from the system to end the process. Where the system sends them as signals
// (SIGTERM from a daemon or a session that logs out, SIGINT and SIGHUP from a terminal),
// they are caught from the first moment of the process on, so that it closes as the
// user closing it would: the saver window closes, a box or dialog on screen is
// dismissed, and the teardown runs. Where the system asks windows to close with
// messages instead, the window procedure already handles them and this does nothing.
namespace platform {

// Called once, before anything else of the program runs.
void CatchStopRequests();

// True once such a request has arrived.
bool StopRequested();

}  // namespace platform
