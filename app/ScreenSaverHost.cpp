#include "app/ScreenSaverHost.h"

#include <cstdlib>

#include "app/RenderThread.h"
#include "settings/SettingsDialog.h"

namespace {

using platform::WindowEvent;
using platform::WindowHandle;
using platform::WindowMessage;

// Pointer movement beyond this many pixels (|dx| + |dy|) closes the saver.
const int kMouseThreshold = 4;

// There is no password protection on this system: close is never granted by a password
// check and the Windows 9x paths (password change, verification) do not exist.
struct HostState {
    ScreenSaverHostServices services = DefaultScreenSaverHostServices();
    bool preview = false;
    bool closeGranted = false;
    int referenceX = 0;
    int referenceY = 0;
    int acLineStatus = 0xFF;
};

HostState& Host()
{
    static HostState state;
    return state;
}

// This program's dialogs need no classes of their own.
bool RegisterDialogClasses() { return true; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::intptr_t Forward(const WindowEvent& event) { return Host().services.screenSaverProc(event); }

std::intptr_t Default(const WindowEvent& event) { return Host().services.defaultProcedure(event); }

void Close(const WindowEvent& event) { Host().services.postCloseMessage(event.window); }

void HandlePowerBroadcast(const WindowEvent& event)
{
    HostState& host = Host();
    const std::intptr_t powerEvent = event.wParam;
    if (powerEvent < 6) {
        Close(event);  // query, suspend, standby
    } else if (powerEvent == 6 || powerEvent == 7 || powerEvent == 8 || powerEvent == 0x12) {
        if ((event.lParam & 1) == 0)  // bit 0: resumed after a failure
            Close(event);
    } else if (powerEvent == 0x0A) {
        const int status = host.services.acLineStatus();
        const bool changed = status != host.acLineStatus;
        host.acLineStatus = status;
        if (changed)
            Close(event);
    } else {
        Close(event);
    }
}

}  // namespace

const ScreenSaverHostServices& DefaultScreenSaverHostServices()
{
    static const ScreenSaverHostServices services = {
        platform::WindowExists,     platform::ForegroundWindow,       platform::RunSaverWindow,
        platform::CursorPosition,   platform::HideCursor,             platform::PostCloseMessage,
        platform::DefaultWindowProcedure, platform::AcLineStatus,     ScreenSaverProc,
        RunSettingsDialog,
    };
    return services;
}

void UseScreenSaverHostServices(const ScreenSaverHostServices& services)
{
    Host() = HostState();
    Host().services = services;
}

std::uint32_t ParseWindowNumber(const char* text)
{
    std::uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10u + static_cast<std::uint32_t>(*text - '0');
    return value;
}

int ScreenSaverMain(const char* commandText)
{
    const ScreenSaverHostServices& services = Host().services;
    const char* text = commandText != nullptr ? commandText : "";
    while (*text == ' ' || *text == '-' || *text == '/')
        ++text;

    switch (LowerAscii(*text)) {
    case '\0':
        return ShowSettingsDialog(0);
    case 's':
        return RunSaverWindow(0);
    case 'p':
    case 'l': {
        ++text;
        while (*text == ' ')
            ++text;
        const WindowHandle parent = ParseWindowNumber(text);
        if (parent != 0 && services.windowExists(parent))
            return RunSaverWindow(parent);
        return -1;
    }
    case 'c': {
        ++text;
        WindowHandle parent = 0;
        if (*text == ':')
            parent = ParseWindowNumber(text + 1);
        if (parent == 0 || !services.windowExists(parent))
            parent = services.foregroundWindow();
        return ShowSettingsDialog(parent);
    }
    default:
        // "A" changes the password on Windows 9x only; any other letter is no mode.
        return -1;
    }
}

int ShowSettingsDialog(WindowHandle parent)
{
    if (!RegisterDialogClasses())
        return 0;
    return Host().services.settingsDialog(parent);
}

int RunSaverWindow(WindowHandle parent)
{
    HostState& host = Host();
    host.preview = parent != 0;
    if (!host.preview)
        host.acLineStatus = host.services.acLineStatus();
    return host.services.runSaverWindow(parent, SaverWindowProc);
}

std::intptr_t SaverWindowProc(const WindowEvent& event)
{
    HostState& host = Host();
    switch (event.message) {
    case WindowMessage::Create:
        if (!host.services.cursorPosition(&host.referenceX, &host.referenceY))
            host.referenceX = host.referenceY = 0;
        if (!host.preview)
            host.services.hideCursor(event.window);
        return Forward(event);
    case WindowMessage::SetText:
        return 0;  // the title cannot be changed
    case WindowMessage::Paint:
        if (host.closeGranted)
            return Default(event);
        if (!host.preview)
            host.services.hideCursor(event.window);
        return Forward(event);
    case WindowMessage::KeyDown:
    case WindowMessage::SysKeyDown:
    case WindowMessage::MouseMove:
    case WindowMessage::LeftButtonDown:
    case WindowMessage::RightButtonDown:
    case WindowMessage::MiddleButtonDown:
        if (host.closeGranted)
            return Default(event);
        return Forward(event);
    default:
        return Forward(event);
    }
}

std::intptr_t DefScreenSaverProc(const WindowEvent& event)
{
    HostState& host = Host();
    if (host.preview || host.closeGranted)
        return Default(event);

    switch (event.message) {
    case WindowMessage::SetCursor:
        host.services.hideCursor(event.window);
        return 1;
    case WindowMessage::ShowWindow:
        if (event.wParam != 0)
            host.services.hideCursor(event.window);
        break;
    case WindowMessage::ActivateApp:
        if (event.wParam == 0)
            Close(event);
        break;
    case WindowMessage::KeyDown:
    case WindowMessage::SysKeyDown:
    case WindowMessage::LeftButtonDown:
    case WindowMessage::RightButtonDown:
    case WindowMessage::MiddleButtonDown:
        Close(event);
        break;
    case WindowMessage::MouseMove: {
        int x = 0;
        int y = 0;
        if (host.services.cursorPosition(&x, &y) &&
            std::abs(x - host.referenceX) + std::abs(y - host.referenceY) > kMouseThreshold) {
            Close(event);
            host.referenceX = x;
            host.referenceY = y;
        }
        break;
    }
    case WindowMessage::PowerBroadcast:
        HandlePowerBroadcast(event);
        break;
    default:
        break;
    }
    // Close without a password always reaches the default handling, which destroys.
    return Default(event);
}
