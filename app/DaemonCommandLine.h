#pragma once

#include "platform/SaverWindow.h"

// The command line that Linux screen-saver daemons (XScreenSaver, MATE's and Xfce's)
// give their display programs: "-root" draws into the daemon's window (named by the
// environment) or the root window, "-window-id ID" into the given window, and a few
// per-run settings. Every switch may be written with one dash or two.
struct DaemonCommandLine {
    enum class Target { None, Root, WindowId };

    // The first argument is one of these switches, so the rest is read this way.
    bool recognised = false;
    // Every argument was understood and exactly one target was named.
    bool valid = false;
    Target target = Target::None;
    platform::WindowHandle windowId = 0;
    // "-fps" 1, "-no-fps" 0, neither -1 (the stored setting holds).
    int showFps = -1;
};

DaemonCommandLine ParseDaemonCommandLine(int argc, const char* const* argv);

// A window id as the daemons write it: "0x" and hexadecimal digits, or decimal digits,
// and nothing else; false for 0, an empty text or a value beyond 32 bits (X ids).
bool ParseDaemonWindowId(const char* text, platform::WindowHandle* window);

// The usage text printed when a daemon switch is not understood.
const char* DaemonUsageText();
