#pragma once

#include <cstdint>

#include "app/DaemonCommandLine.h"
#include "platform/SaverWindow.h"

// The screen-saver host: reads the command line, runs one mode, and applies the
// closing rules to the saver window's messages.

// Runs the mode the command text asks for and returns the process's exit code.
int ScreenSaverMain(const char* commandText);

// Runs a screen-saver daemon's command line: the saver inside the window it names,
// behaving as the preview does. environmentWindow is the daemon's window variable
// (XSCREENSAVER_WINDOW), or null when it is not set. -1 when the line or the window is
// not usable.
int RunDaemonCommandLine(const DaemonCommandLine& line, const char* environmentWindow);

// Tells the user why the saver could not start: a message box titled "Screen saver",
// or the error output in a daemon's run.
void ShowFailureText(const char* text);

// Decimal digits accumulated in 32 bits, stopping at the first other character.
std::uint32_t ParseWindowNumber(const char* text);

// The modal settings dialog over parent (0: none); its result.
int ShowSettingsDialog(platform::WindowHandle parent);

// Full screen when parent is 0, else a preview inside parent; the loop's exit value.
int RunSaverWindow(platform::WindowHandle parent);

// The saver window's procedure: the host's rules around the program's ScreenSaverProc.
std::intptr_t SaverWindowProc(const platform::WindowEvent& event);

// The host's default handling, called at the end of ScreenSaverProc.
std::intptr_t DefScreenSaverProc(const platform::WindowEvent& event);

// Where the saver checks the password itself: 1 when the saver may close, asking for
// the password when a verifier is loaded.
int VerifyBeforeClose(platform::WindowHandle window);

// What the host needs from the window system and from the program. The defaults are
// the platform's services and the program's own procedures; tests put fakes here.
struct ScreenSaverHostServices {
    bool (*windowExists)(platform::WindowHandle window);
    platform::WindowHandle (*foregroundWindow)();
    int (*runSaverWindow)(platform::WindowHandle parent, platform::WindowProcedure procedure);
    bool (*cursorPosition)(int* x, int* y);
    void (*hideCursor)(platform::WindowHandle window);
    void (*postCloseMessage)(platform::WindowHandle window);
    std::intptr_t (*defaultProcedure)(const platform::WindowEvent& event);
    int (*acLineStatus)();  // 0xFF when unknown
    // The program's window procedure (ScreenSaverProc) and its settings dialog.
    std::intptr_t (*screenSaverProc)(const platform::WindowEvent& event);
    int (*settingsDialog)(platform::WindowHandle parent);
    bool (*postToParent)(const platform::WindowEvent& event);
    std::intptr_t (*sendVerifyPassword)(platform::WindowHandle window);
    void (*yieldTimeSlice)();
    std::uint32_t (*tickCount)();
    // The password path, live only where the saver checks the password itself.
    bool (*saverChecksPassword)();
    bool (*loadPasswordVerifier)();
    void (*unloadPasswordVerifier)();
    int (*verifyPassword)(platform::WindowHandle window);
    void (*changePassword)(platform::WindowHandle window);
    platform::WindowHandle (*desktopWindow)();
};

const ScreenSaverHostServices& DefaultScreenSaverHostServices();

// Replaces the services and resets the host's state, as at process start.
void UseScreenSaverHostServices(const ScreenSaverHostServices& services);
