#include "app/ScreenSaverHost.h"

// Mode dispatch and closing rules arrive with the host; until then nothing runs.
int ScreenSaverMain(const char*) { return -1; }
int ShowSettingsDialog(platform::WindowHandle) { return 1; }
std::intptr_t DefScreenSaverProc(const platform::WindowEvent&) { return 0; }
