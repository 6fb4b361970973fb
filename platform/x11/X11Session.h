#pragma once

// What the X11 window, GLX and message-box backends share inside platform/x11.
namespace platform {
namespace x11 {

// XInitThreads and the error handler, once, before any other Xlib call.
void InitializeXlib();

// The saver window's display name (null: $DISPLAY), for connections of other threads.
const char* DisplayName();

// True once the window thread has seen this window destroyed under it (a preview whose
// parent went away): drawing to it must stop.
bool SaverWindowGone(unsigned long window);

// The saver window's current size as the window thread last saw it; 0 when unknown.
void SaverWindowSize(int* width, int* height);

// Window thread: gives up the keyboard and pointer grabs so a modal box can be used.
void ReleaseSaverInput();

// Readable once the system has asked the process to stop (never drained); -1 when the
// requests are not caught.
int StopRequestFd();

// Number of X protocol errors recorded so far (they never end the process).
unsigned long ErrorCount();

}  // namespace x11
}  // namespace platform
