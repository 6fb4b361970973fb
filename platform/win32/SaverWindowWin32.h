#pragma once

#include <windows.h>

// What the saver window shares with the other Win32 services.
namespace platform {
namespace win32 {

// The saver window's client size as its thread last saw it (at creation and at every
// WM_SIZE); any thread may ask, and nothing waits for the window thread. 0 x 0 for any
// other window, and before creation or after destruction.
void LastClientSize(HWND window, int* width, int* height);

}  // namespace win32
}  // namespace platform
