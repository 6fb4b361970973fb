#pragma once

// What the password path shares with the other Win32 services.
namespace platform {
namespace win32 {

// Tells the system whether a saver runs (SPI_SETSCREENSAVERRUNNING): Windows 9x holds
// back its task-switching keys (Ctrl+Alt+Del, Alt+Tab) while one does.
void SetSaverRunning(bool running);

}  // namespace win32
}  // namespace platform
