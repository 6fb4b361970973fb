#include "app/ScreenSaverHost.h"

#include <cstdio>
#include <cstdlib>

#include "app/ProcessObjects.h"
#include "app/RenderThread.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/SaverPassword.h"
#include "settings/SettingsDialog.h"

namespace {

using platform::WindowEvent;
using platform::WindowHandle;
using platform::WindowMessage;

// Pointer movement beyond this many pixels (|dx| + |dy|) closes the saver.
const int kMouseThreshold = 4;
// A password asked for less than this long ago is not asked for again.
const std::uint32_t kVerifyIntervalMs = 200;
const std::uint32_t kNeverVerified = 0xFFFFFFFFu;

// System commands, compared without their low four bits (the system's own use).
const std::intptr_t kSystemCommandMask = 0xFFF0;
const std::intptr_t kNextWindowCommand = 0xF040;
const std::intptr_t kPreviousWindowCommand = 0xF050;
const std::intptr_t kScreenSaveCommand = 0xF140;
const std::intptr_t kMonitorPowerCommand = 0xF170;
const std::intptr_t kCriticalResume = 3;  // the old power message's event

// The password fields matter only where the saver checks the password itself
// (passwordBySaver); everywhere else close is granted by the system's default handling.
struct HostState {
    ScreenSaverHostServices services = DefaultScreenSaverHostServices();
    bool preview = false;
    bool daemonRun = false;  // inside a screen-saver daemon's window
    bool passwordBySaver = false;
    bool verifierLoaded = false;
    bool closeGranted = false;
    bool verifying = false;
    std::uint32_t lastVerifyTick = kNeverVerified;
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

std::intptr_t SystemDefault(const WindowEvent& event) { return Host().services.defaultProcedure(event); }

void Close(const WindowEvent& event) { Host().services.postCloseMessage(event.window); }

// The last step of the default handling. AutoPlay asks only where the saver checks the
// password; it is cancelled while a password protects the saver.
std::intptr_t Default(const WindowEvent& event)
{
    if (event.message == WindowMessage::QueryCancelAutoPlay) {
        Close(event);
        return Host().verifierLoaded ? 1 : 0;
    }
    return SystemDefault(event);
}

void LoadPasswordHandler()
{
    HostState& host = Host();
    if (!host.passwordBySaver)
        return;
    if (host.verifierLoaded)
        host.services.unloadPasswordVerifier();
    host.verifierLoaded = host.services.loadPasswordVerifier();
}

void UnloadPasswordHandler()
{
    HostState& host = Host();
    if (!host.passwordBySaver)
        return;
    host.services.unloadPasswordVerifier();
    host.verifierLoaded = false;
}

// The window number after a switch letter, or the foreground window when it names none.
WindowHandle ParentOrForeground(const char* text)
{
    const ScreenSaverHostServices& services = Host().services;
    const WindowHandle parent = ParseWindowNumber(text);
    if (parent == 0 || !services.windowExists(parent))
        return services.foregroundWindow();
    return parent;
}

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
        RunSettingsDialog,          platform::PostToParentWindow,     platform::SendVerifyPasswordMessage,
        [] { platform::SleepMilliseconds(0); },                       platform::TickCount,
        platform::SaverChecksPassword, platform::LoadPasswordVerifier, platform::UnloadPasswordVerifier,
        platform::VerifySaverPassword, platform::ChangeSaverPassword, platform::DesktopWindow,
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
    HostState& host = Host();
    const ScreenSaverHostServices& services = host.services;
    host.passwordBySaver = services.saverChecksPassword();
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
    case 'c':
        ++text;
        // Only a colon joins the number to the letter.
        return ShowSettingsDialog(ParentOrForeground(*text == ':' ? text + 1 : ""));
    case 'a':
        // Only where the saver checks the password itself.
        if (!host.passwordBySaver)
            return -1;
        ++text;
        while (*text == ' ')
            ++text;
        services.changePassword(ParentOrForeground(text));
        return 0;
    default:
        return -1;
    }
}

int RunDaemonCommandLine(const DaemonCommandLine& line, const char* environmentWindow)
{
    const ScreenSaverHostServices& services = Host().services;
    if (!line.valid) {
        std::fputs(DaemonUsageText(), stderr);
        return -1;
    }
    WindowHandle window = line.windowId;
    if (line.target == DaemonCommandLine::Target::Root) {
        if (environmentWindow == nullptr) {
            window = services.desktopWindow();
        } else if (!ParseDaemonWindowId(environmentWindow, &window)) {
            std::fprintf(stderr, "zentharis: XSCREENSAVER_WINDOW is not a window id: %s\n", environmentWindow);
            return -1;
        }
    }
    if (window == 0 || !services.windowExists(window)) {
        std::fputs("zentharis: no such window\n", stderr);
        return -1;
    }
    // For this run only: the settings dialog alone stores settings.
    if (line.showFps >= 0)
        EnableFPS.SetValue(line.showFps);
    Host().daemonRun = true;
    return RunSaverWindow(window);
}

void ShowFailureText(const char* text)
{
    // A box over a daemon's window would wait for a click that nobody may give, and the
    // daemon's stop signal could not end the program until then: the daemon keeps the
    // program's error output instead.
    if (Host().daemonRun)
        std::fprintf(stderr, "%s\n", text);
    else
        platform::ShowMessageBox("Screen saver", text);
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
    if (!host.preview) {
        host.acLineStatus = host.services.acLineStatus();
        LoadPasswordHandler();
    }
    const int exitValue = host.services.runSaverWindow(parent, SaverWindowProc);
    UnloadPasswordHandler();
    return exitValue;
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
            return SystemDefault(event);
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
            return SystemDefault(event);
        return Forward(event);
    case WindowMessage::Help:
    case WindowMessage::ContextMenu:
        // In the control panel these belong to the panel.
        if (host.preview && host.services.postToParent(event))
            return 1;
        return Forward(event);
    case WindowMessage::SysCommand:
        if (host.preview)
            return Forward(event);
        switch (event.wParam & kSystemCommandMask) {
        case kNextWindowCommand:
        case kPreviousWindowCommand:
        case kScreenSaveCommand:
            return 0;  // no task switching, no second saver
        case kMonitorPowerCommand:
            Close(event);
            return Forward(event);
        default:
            return Forward(event);
        }
    case WindowMessage::Timer:
        if (host.closeGranted)
            return 0;
        host.services.yieldTimeSlice();
        return Forward(event);
    default:
        return Forward(event);
    }
}

int VerifyBeforeClose(WindowHandle window)
{
    HostState& host = Host();
    if (host.verifying || host.closeGranted)
        return 0;
    if (!host.verifierLoaded) {
        host.closeGranted = true;
        return 1;
    }
    const std::uint32_t now = host.services.tickCount();
    if (host.lastVerifyTick != kNeverVerified && now - host.lastVerifyTick < kVerifyIntervalMs)
        return 0;
    host.verifying = true;
    host.closeGranted = host.services.sendVerifyPassword(window) != 0;
    host.verifying = false;
    if (!host.closeGranted)
        host.services.hideCursor(window);
    host.lastVerifyTick = host.services.tickCount();
    return host.closeGranted ? 1 : 0;
}

std::intptr_t DefScreenSaverProc(const WindowEvent& event)
{
    HostState& host = Host();
    if (host.preview || host.closeGranted)
        return Default(event);
    if (event.message == WindowMessage::Close && host.passwordBySaver && VerifyBeforeClose(event.window) == 0) {
        // A wrong password: the saver stays, and movement counts from here.
        if (!host.services.cursorPosition(&host.referenceX, &host.referenceY))
            host.referenceX = host.referenceY = 0;
        return 0;
    }
    if (event.message == WindowMessage::VerifyPassword && host.passwordBySaver)
        return host.verifierLoaded ? host.services.verifyPassword(event.window) : 1;
    if (host.verifying)
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
    case WindowMessage::Power:
        if (event.wParam == kCriticalResume)
            Close(event);
        break;
    default:
        break;
    }
    // A close that got here reaches the system's handling, which destroys the window.
    return Default(event);
}
