#include "app/ScreenSaverHost.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/ProcessObjects.h"
#include "app/RenderThread.h"

using platform::WindowEvent;
using platform::WindowHandle;
using platform::WindowMessage;

namespace {

const WindowHandle kExistingWindow = 123;
const WindowHandle kForeground = 777;
const WindowHandle kSaverWindow = 55;
const WindowHandle kDesktopWindow = 1;

// A window system without a display: window 123 exists, the saver window runs the
// events a test queues, and every request the host makes is recorded.
struct FakeWindowSystem {
    std::vector<WindowEvent> eventsToRun;
    std::vector<WindowHandle> runParents;
    std::vector<WindowHandle> settingsParents;
    int closeRequests = 0;
    int cursorHides = 0;
    int cursorX = 100;
    int cursorY = 100;
    int moveX = 0;  // the pointer moves by this much once the window exists
    int moveY = 0;
    int acLineStatus = 1;
    std::vector<std::intptr_t> results;
    std::vector<WindowMessage> forwarded;
    std::vector<WindowEvent> postedToParent;
    bool hasParent = true;
    int yields = 0;
    std::uint32_t tick = 1000;
    std::uint32_t tickStep = 0;  // the clock advances this much after every event
    // The Windows 9x password path.
    bool saverChecksPassword = false;
    bool verifierAvailable = false;
    int verifierLoads = 0;
    int verifierUnloads = 0;
    int rightFromVerification = 1000;  // the password is given at this verification
    int verifications = 0;
    std::vector<WindowHandle> passwordChangeParents;
    std::vector<std::intptr_t> systemDefaults;  // messages that reached the system's handling
};

FakeWindowSystem fake;

bool FakeWindowExists(WindowHandle window) { return window == kExistingWindow || window == kDesktopWindow; }
WindowHandle FakeForegroundWindow() { return kForeground; }

int FakeRunSaverWindow(WindowHandle parent, platform::WindowProcedure procedure)
{
    fake.runParents.push_back(parent);
    for (WindowEvent event : fake.eventsToRun) {
        event.window = kSaverWindow;
        fake.results.push_back(procedure(event));
        fake.tick += fake.tickStep;
        if (event.message == WindowMessage::Create) {
            fake.cursorX += fake.moveX;
            fake.cursorY += fake.moveY;
        }
    }
    return 0;
}

bool FakeCursorPosition(int* x, int* y)
{
    *x = fake.cursorX;
    *y = fake.cursorY;
    return true;
}

void FakeHideCursor(WindowHandle) { ++fake.cursorHides; }
void FakePostClose(WindowHandle window)
{
    EXPECT_EQ(window, kSaverWindow);
    ++fake.closeRequests;
}
std::intptr_t FakeDefault(const WindowEvent& event)
{
    fake.systemDefaults.push_back(static_cast<std::intptr_t>(event.message));
    return 0;
}
int FakeAcLineStatus() { return fake.acLineStatus; }
WindowHandle FakeDesktopWindow() { return kDesktopWindow; }

// Stands in for the program's ScreenSaverProc, which ends in the host's default handling.
std::intptr_t FakeScreenSaverProc(const WindowEvent& event)
{
    fake.forwarded.push_back(event.message);
    return DefScreenSaverProc(event);
}

int FakeSettingsDialog(WindowHandle parent)
{
    fake.settingsParents.push_back(parent);
    return 1;
}

bool FakePostToParent(const WindowEvent& event)
{
    if (!fake.hasParent)
        return false;
    fake.postedToParent.push_back(event);
    return true;
}

// The platform hands the window its VerifyPassword message at once.
std::intptr_t FakeSendVerifyPassword(WindowHandle window)
{
    WindowEvent event;
    event.window = window;
    event.message = WindowMessage::VerifyPassword;
    return FakeScreenSaverProc(event);
}

void FakeYield() { ++fake.yields; }
std::uint32_t FakeTickCount() { return fake.tick; }
bool FakeSaverChecksPassword() { return fake.saverChecksPassword; }
bool FakeLoadVerifier()
{
    ++fake.verifierLoads;
    return fake.verifierAvailable;
}
void FakeUnloadVerifier() { ++fake.verifierUnloads; }
int FakeVerify(WindowHandle)
{
    return ++fake.verifications >= fake.rightFromVerification ? 1 : 0;
}
void FakeChangePassword(WindowHandle parent) { fake.passwordChangeParents.push_back(parent); }

ScreenSaverHostServices FakeServices()
{
    return {
        FakeWindowExists,      FakeForegroundWindow, FakeRunSaverWindow,     FakeCursorPosition,
        FakeHideCursor,        FakePostClose,        FakeDefault,            FakeAcLineStatus,
        FakeScreenSaverProc,   FakeSettingsDialog,   FakePostToParent,       FakeSendVerifyPassword,
        FakeYield,             FakeTickCount,        FakeSaverChecksPassword, FakeLoadVerifier,
        FakeUnloadVerifier,    FakeVerify,           FakeChangePassword,     FakeDesktopWindow,
    };
}

class ScreenSaverHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake = FakeWindowSystem();
        UseScreenSaverHostServices(FakeServices());
    }

    static WindowEvent Event(WindowMessage message, std::intptr_t wParam = 0, std::intptr_t lParam = 0)
    {
        WindowEvent event;
        event.message = message;
        event.wParam = wParam;
        event.lParam = lParam;
        return event;
    }

    // Runs the full-screen saver over the queued events; returns the closes it asked for.
    int CloseRequestsOfRun(const char* command, std::vector<WindowEvent> events)
    {
        fake.eventsToRun = std::move(events);
        fake.eventsToRun.insert(fake.eventsToRun.begin(), Event(WindowMessage::Create));
        EXPECT_EQ(ScreenSaverMain(command), 0);
        return fake.closeRequests;
    }
};

}  // namespace

TEST_F(ScreenSaverHostTest, DefaultsAreThePlatformsAndTheProgramsOwn)
{
    // Naming a process object here also pulls them into this program ahead of the
    // library that needs them. Nothing here runs the render thread, so no failure text.
    EXPECT_EQ(TheEventLog.UserErrorText(), nullptr);
    EXPECT_EQ(DefaultScreenSaverHostServices().screenSaverProc, &ScreenSaverProc);
    EXPECT_EQ(DefaultScreenSaverHostServices().runSaverWindow, &platform::RunSaverWindow);
}

TEST_F(ScreenSaverHostTest, ParseWindowNumberReadsDecimalDigitsOnly)
{
    EXPECT_EQ(ParseWindowNumber("123"), 123u);
    EXPECT_EQ(ParseWindowNumber("0123abc"), 123u);
    EXPECT_EQ(ParseWindowNumber("12 34"), 12u);
    EXPECT_EQ(ParseWindowNumber(""), 0u);
    EXPECT_EQ(ParseWindowNumber("-5"), 0u);     // no sign
    EXPECT_EQ(ParseWindowNumber("0x1A"), 0u);   // no hexadecimal
    EXPECT_EQ(ParseWindowNumber("4294967295"), 4294967295u);
    EXPECT_EQ(ParseWindowNumber("4294967296"), 0u);  // accumulates in 32 bits
}

TEST_F(ScreenSaverHostTest, PreviewSwitchesRunInWindow123WhateverTheirSpelling)
{
    for (const char* command : {"/p 123", "-P123", "p123", "/l 123", "L   123", "  /P 123 trailing", "-/-p123"}) {
        fake.runParents.clear();
        EXPECT_EQ(ScreenSaverMain(command), 0) << command;
        ASSERT_EQ(fake.runParents.size(), 1u) << command;
        EXPECT_EQ(fake.runParents[0], kExistingWindow) << command;
    }
}

TEST_F(ScreenSaverHostTest, PreviewWithoutAUsableWindowFails)
{
    for (const char* command : {"/p", "/p 0", "/p 124", "/p abc", "/p:123"})
        EXPECT_EQ(ScreenSaverMain(command), -1) << command;
    EXPECT_TRUE(fake.runParents.empty());
}

TEST_F(ScreenSaverHostTest, DaemonLinesRunAsPreviewInTheWindowTheyName)
{
    auto run = [](std::vector<const char*> arguments, const char* environmentWindow) {
        arguments.insert(arguments.begin(), "zentharis");
        fake.runParents.clear();
        return RunDaemonCommandLine(ParseDaemonCommandLine(static_cast<int>(arguments.size()), arguments.data()),
                                    environmentWindow);
    };
    EXPECT_EQ(run({"-window-id", "0x7b"}, nullptr), 0);
    EXPECT_EQ(fake.runParents, std::vector<WindowHandle>{kExistingWindow});
    EXPECT_EQ(run({"-root"}, "123"), 0);  // the daemon's window, here in decimal
    EXPECT_EQ(fake.runParents, std::vector<WindowHandle>{kExistingWindow});
    EXPECT_EQ(run({"--root"}, nullptr), 0);  // no daemon: the root window
    EXPECT_EQ(fake.runParents, std::vector<WindowHandle>{kDesktopWindow});

    // Input never closes it: it is a preview.
    fake.eventsToRun = {Event(WindowMessage::Create), Event(WindowMessage::KeyDown),
                        Event(WindowMessage::LeftButtonDown), Event(WindowMessage::ActivateApp, 0)};
    fake.moveX = 50;
    EXPECT_EQ(run({"-root"}, "0x7b"), 0);
    EXPECT_EQ(fake.closeRequests, 0);

    for (const char* environmentWindow : {"0x7c", "garbage", "", "0"})
        EXPECT_EQ(run({"-root"}, environmentWindow), -1) << environmentWindow;
    EXPECT_EQ(run({"-window-id", "124"}, nullptr), -1);
    EXPECT_EQ(run({"-root", "-bogus"}, "123"), -1);
    EXPECT_TRUE(fake.runParents.empty());
}

TEST_F(ScreenSaverHostTest, DaemonFrameRateSwitchesOverrideTheSettingForTheRunOnly)
{
    const char* showArguments[] = {"zentharis", "-root", "-fps"};
    const char* hideArguments[] = {"zentharis", "-root", "--no-fps"};
    const char* keepArguments[] = {"zentharis", "-root"};
    EnableFPS.SetValue(0);
    EXPECT_EQ(RunDaemonCommandLine(ParseDaemonCommandLine(3, showArguments), "123"), 0);
    EXPECT_EQ(EnableFPS.Value(), 1);
    EXPECT_EQ(RunDaemonCommandLine(ParseDaemonCommandLine(3, hideArguments), "123"), 0);
    EXPECT_EQ(EnableFPS.Value(), 0);
    EnableFPS.SetValue(1);
    EXPECT_EQ(RunDaemonCommandLine(ParseDaemonCommandLine(2, keepArguments), "123"), 0);
    EXPECT_EQ(EnableFPS.Value(), 1);
    EnableFPS.ResetToDefault();
}

TEST_F(ScreenSaverHostTest, RunSwitchAndUnknownSwitches)
{
    EXPECT_EQ(ScreenSaverMain("/s"), 0);
    EXPECT_EQ(ScreenSaverMain("-S"), 0);
    EXPECT_EQ(ScreenSaverMain("s"), 0);
    ASSERT_EQ(fake.runParents.size(), 3u);
    EXPECT_EQ(fake.runParents[2], 0u);  // full screen

    EXPECT_EQ(ScreenSaverMain("/x"), -1);
    EXPECT_EQ(ScreenSaverMain("/?"), -1);
    EXPECT_EQ(ScreenSaverMain("/1"), -1);
    // Password change exists on Windows 9x only.
    EXPECT_EQ(ScreenSaverMain("/a"), -1);
    EXPECT_EQ(ScreenSaverMain("/A 123"), -1);
    EXPECT_EQ(fake.runParents.size(), 3u);
    EXPECT_TRUE(fake.settingsParents.empty());
}

TEST_F(ScreenSaverHostTest, SettingsSwitchAndEmptyCommand)
{
    EXPECT_EQ(ScreenSaverMain(""), 1);
    EXPECT_EQ(ScreenSaverMain("  "), 1);
    EXPECT_EQ(ScreenSaverMain("/"), 1);
    EXPECT_EQ(ScreenSaverMain("/c:123"), 1);
    EXPECT_EQ(ScreenSaverMain("-C"), 1);
    EXPECT_EQ(ScreenSaverMain("/c 123"), 1);   // a space instead of the colon
    EXPECT_EQ(ScreenSaverMain("/c:124"), 1);   // no such window
    EXPECT_EQ(ScreenSaverMain("/c:0"), 1);
    EXPECT_EQ(ScreenSaverMain("/c:"), 1);
    const std::vector<WindowHandle> expected = {0, 0, 0, kExistingWindow, kForeground,
                                                kForeground, kForeground, kForeground, kForeground};
    EXPECT_EQ(fake.settingsParents, expected);
    EXPECT_TRUE(fake.runParents.empty());
}

TEST_F(ScreenSaverHostTest, PointerMustMoveMoreThanFourPixels)
{
    // 2 right and 2 down: stays; 3 and 2: closes.
    fake.moveX = 2;
    fake.moveY = 2;
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::MouseMove)}), 0);
    SetUp();
    fake.moveX = 3;
    fake.moveY = 2;
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::MouseMove)}), 1);
    SetUp();
    fake.moveX = -4;
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::MouseMove)}), 0);
    SetUp();
    fake.moveX = -2;
    fake.moveY = -3;
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::MouseMove)}), 1);

    // The reference point is where the pointer was at creation: the cursor already far
    // away then, with no movement since, does not close.
    SetUp();
    fake.cursorX = 900;
    fake.cursorY = 700;
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::MouseMove)}), 0);

    // After a close the new position becomes the reference point.
    SetUp();
    fake.moveX = 10;
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::MouseMove), Event(WindowMessage::MouseMove)}), 1);
}

TEST_F(ScreenSaverHostTest, InputAndDeactivationCloseTheFullScreenSaver)
{
    for (WindowMessage message : {WindowMessage::KeyDown, WindowMessage::SysKeyDown, WindowMessage::LeftButtonDown,
                                  WindowMessage::RightButtonDown, WindowMessage::MiddleButtonDown}) {
        SetUp();
        EXPECT_EQ(CloseRequestsOfRun("/s", {Event(message)}), 1);
    }
    SetUp();
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::ActivateApp, 1)}), 0);
    SetUp();
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::ActivateApp, 0)}), 1);
    SetUp();
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::Paint), Event(WindowMessage::Other)}), 0);
    EXPECT_EQ(fake.cursorHides, 2);  // at creation and when painting
}

TEST_F(ScreenSaverHostTest, InputNeverClosesThePreview)
{
    fake.cursorX = 500;
    fake.cursorY = 500;
    EXPECT_EQ(CloseRequestsOfRun("/p 123", {Event(WindowMessage::KeyDown), Event(WindowMessage::LeftButtonDown),
                                            Event(WindowMessage::MouseMove), Event(WindowMessage::ActivateApp, 0),
                                            Event(WindowMessage::PowerBroadcast, 4)}),
              0);
    EXPECT_EQ(fake.cursorHides, 0);  // the preview keeps the cursor
}

TEST_F(ScreenSaverHostTest, TitleChangesAreRefusedAndNotForwarded)
{
    fake.eventsToRun = {Event(WindowMessage::SetText), Event(WindowMessage::SetCursor)};
    EXPECT_EQ(ScreenSaverMain("/s"), 0);
    ASSERT_EQ(fake.results.size(), 2u);
    EXPECT_EQ(fake.results[0], 0);
    EXPECT_EQ(fake.results[1], 1);  // SetCursor hides the cursor and is handled
    EXPECT_EQ(fake.forwarded, std::vector<WindowMessage>{WindowMessage::SetCursor});

    SetUp();
    fake.eventsToRun = {Event(WindowMessage::SetText)};
    EXPECT_EQ(ScreenSaverMain("/p 123"), 0);
    EXPECT_EQ(fake.results, std::vector<std::intptr_t>{0});
    EXPECT_TRUE(fake.forwarded.empty());
}

TEST_F(ScreenSaverHostTest, PowerEventsCloseExceptUnchangedMainsAndFailedResume)
{
    // Suspend query, resume, resume after a failure, mains unchanged, mains changed, unknown.
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::PowerBroadcast, 0)}), 1);
    SetUp();
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::PowerBroadcast, 7, 0)}), 1);
    SetUp();
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::PowerBroadcast, 0x12, 1)}), 0);
    SetUp();
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::PowerBroadcast, 0x0A)}), 0);
    SetUp();
    fake.eventsToRun = {Event(WindowMessage::Create), Event(WindowMessage::PowerBroadcast, 0x0A)};
    fake.acLineStatus = 1;
    // The status stored before the window was created differs from the one read later.
    ScreenSaverHostServices services = FakeServices();
    services.acLineStatus = [] { return fake.runParents.empty() ? 1 : 0; };
    UseScreenSaverHostServices(services);
    EXPECT_EQ(ScreenSaverMain("/s"), 0);
    EXPECT_EQ(fake.closeRequests, 1);
    SetUp();
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::PowerBroadcast, 0x20)}), 1);
}

TEST_F(ScreenSaverHostTest, SystemCommandsForTaskSwitchingAndAnotherSaverAreSwallowed)
{
    // Task switching and a second saver: swallowed, not forwarded. The low four bits
    // are the system's own.
    fake.eventsToRun = {Event(WindowMessage::SysCommand, 0xF040), Event(WindowMessage::SysCommand, 0xF050),
                        Event(WindowMessage::SysCommand, 0xF142), Event(WindowMessage::SysCommand, 0xF060)};
    EXPECT_EQ(ScreenSaverMain("/s"), 0);
    EXPECT_EQ(fake.results, (std::vector<std::intptr_t>{0, 0, 0, 0}));
    EXPECT_EQ(fake.forwarded, std::vector<WindowMessage>{WindowMessage::SysCommand});  // only the close command
    EXPECT_EQ(fake.closeRequests, 0);

    // Monitor power closes, and the command still reaches the program.
    SetUp();
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::SysCommand, 0xF170, 2)}), 1);
    EXPECT_EQ(fake.forwarded.back(), WindowMessage::SysCommand);

    // The preview leaves all of them to the program.
    SetUp();
    fake.eventsToRun = {Event(WindowMessage::SysCommand, 0xF040), Event(WindowMessage::SysCommand, 0xF170)};
    EXPECT_EQ(ScreenSaverMain("/p 123"), 0);
    EXPECT_EQ(fake.forwarded.size(), 2u);
    EXPECT_EQ(fake.closeRequests, 0);
}

TEST_F(ScreenSaverHostTest, HelpAndContextMenuGoToThePreviewsParent)
{
    fake.eventsToRun = {Event(WindowMessage::Help, 0, 77), Event(WindowMessage::ContextMenu, 0, 88)};
    EXPECT_EQ(ScreenSaverMain("/p 123"), 0);
    EXPECT_EQ(fake.results, (std::vector<std::intptr_t>{1, 1}));
    ASSERT_EQ(fake.postedToParent.size(), 2u);
    EXPECT_EQ(fake.postedToParent[0].message, WindowMessage::Help);
    EXPECT_EQ(fake.postedToParent[1].lParam, 88);
    EXPECT_TRUE(fake.forwarded.empty());

    // Without a parent window, and in full screen, the program gets them.
    SetUp();
    fake.hasParent = false;
    fake.eventsToRun = {Event(WindowMessage::Help)};
    EXPECT_EQ(ScreenSaverMain("/p 123"), 0);
    EXPECT_EQ(fake.forwarded, std::vector<WindowMessage>{WindowMessage::Help});
    SetUp();
    fake.eventsToRun = {Event(WindowMessage::ContextMenu)};
    EXPECT_EQ(ScreenSaverMain("/s"), 0);
    EXPECT_TRUE(fake.postedToParent.empty());
    EXPECT_EQ(fake.forwarded, std::vector<WindowMessage>{WindowMessage::ContextMenu});
}

TEST_F(ScreenSaverHostTest, TimersYieldAndOldPowerMessageClosesOnCriticalResume)
{
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::Timer), Event(WindowMessage::Power, 2),
                                        Event(WindowMessage::Timer)}),
              0);
    EXPECT_EQ(fake.yields, 2);
    SetUp();
    EXPECT_EQ(CloseRequestsOfRun("/s", {Event(WindowMessage::Power, 3)}), 1);
}

TEST_F(ScreenSaverHostTest, WithoutTheSaversOwnPasswordCloseAlwaysDestroys)
{
    // As on every NT-based system: no verifier is loaded, Close and the password check
    // reach the system's handling, AutoPlay is not answered, and /a is no mode.
    fake.eventsToRun = {Event(WindowMessage::Close), Event(WindowMessage::VerifyPassword),
                        Event(WindowMessage::QueryCancelAutoPlay)};
    EXPECT_EQ(ScreenSaverMain("/s"), 0);
    EXPECT_EQ(fake.verifierLoads, 0);
    EXPECT_EQ(fake.verifications, 0);
    EXPECT_EQ(fake.systemDefaults.size(), 2u);
    EXPECT_EQ(fake.closeRequests, 1);  // only the AutoPlay query would close, and it never comes here
    EXPECT_EQ(ScreenSaverMain("/a"), -1);
    EXPECT_TRUE(fake.passwordChangeParents.empty());
}

TEST_F(ScreenSaverHostTest, SaversOwnPasswordKeepsTheSaverUntilItIsGiven)
{
    fake.saverChecksPassword = true;
    fake.verifierAvailable = true;
    fake.moveX = 50;  // the pointer moved while the password was asked for
    fake.eventsToRun = {Event(WindowMessage::Create), Event(WindowMessage::Close),
                        Event(WindowMessage::MouseMove)};
    EXPECT_EQ(ScreenSaverMain("/s"), 0);
    EXPECT_EQ(fake.verifierLoads, 1);
    EXPECT_EQ(fake.verifierUnloads, 1);
    EXPECT_EQ(fake.verifications, 1);
    ASSERT_EQ(fake.results.size(), 3u);
    EXPECT_EQ(fake.results[1], 0);  // the wrong password keeps the saver
    // Movement counts from where the pointer was when the password was refused.
    EXPECT_EQ(fake.closeRequests, 0);

    // A close within 200 ms of the last check is refused without asking again; later the
    // right password lets it close, and from then on the system handles everything.
    SetUp();
    fake.saverChecksPassword = true;
    fake.verifierAvailable = true;
    fake.rightFromVerification = 2;
    fake.tickStep = 100;
    fake.eventsToRun = {Event(WindowMessage::Close), Event(WindowMessage::Close), Event(WindowMessage::Close),
                        Event(WindowMessage::KeyDown)};
    EXPECT_EQ(ScreenSaverMain("/s"), 0);
    EXPECT_EQ(fake.verifications, 2);
    EXPECT_EQ(fake.systemDefaults.size(), 2u);  // the granted close and the key after it
    EXPECT_EQ(fake.closeRequests, 0);

    // No verifier (no password set): close is granted at once; AutoPlay is allowed.
    SetUp();
    fake.saverChecksPassword = true;
    fake.eventsToRun = {Event(WindowMessage::QueryCancelAutoPlay), Event(WindowMessage::Close)};
    EXPECT_EQ(ScreenSaverMain("/s"), 0);
    EXPECT_EQ(fake.results, (std::vector<std::intptr_t>{0, 0}));
    EXPECT_EQ(fake.verifications, 0);
    EXPECT_EQ(fake.systemDefaults.size(), 1u);  // the close, which destroys

    // With a verifier AutoPlay is cancelled.
    SetUp();
    fake.saverChecksPassword = true;
    fake.verifierAvailable = true;
    fake.eventsToRun = {Event(WindowMessage::QueryCancelAutoPlay)};
    EXPECT_EQ(ScreenSaverMain("/s"), 0);
    EXPECT_EQ(fake.results, std::vector<std::intptr_t>{1});
    EXPECT_EQ(fake.closeRequests, 1);

    // Password change over the given window or the foreground one.
    SetUp();
    fake.saverChecksPassword = true;
    EXPECT_EQ(ScreenSaverMain("/a 123"), 0);
    EXPECT_EQ(ScreenSaverMain("-A"), 0);
    EXPECT_EQ(ScreenSaverMain("/a 124"), 0);
    EXPECT_EQ(fake.passwordChangeParents, (std::vector<WindowHandle>{kExistingWindow, kForeground, kForeground}));
}
