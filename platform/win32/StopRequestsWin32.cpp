// Windows asks a program to end through its windows' messages (WM_CLOSE, and the
// end-of-session messages), which the saver window's procedure and the system's default
// handling answer; a GUI program receives no stop signals to catch.
#include "platform/StopRequests.h"

namespace platform {

void CatchStopRequests() {}

bool StopRequested() { return false; }

}  // namespace platform
