#pragma once

#include <cstdint>

#include "platform/SaverWindow.h"

// The screen-saver host: reads the command line, runs one mode, and applies the
// closing rules to the saver window's messages.

// Runs the mode the command text asks for and returns the process's exit code.
int ScreenSaverMain(const char* commandText);

// The modal settings dialog over parent (0: none); its result.
int ShowSettingsDialog(platform::WindowHandle parent);

// The host's default handling, called at the end of ScreenSaverProc.
std::intptr_t DefScreenSaverProc(const platform::WindowEvent& event);
