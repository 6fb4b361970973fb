#pragma once

#include <cstdint>

// The saver window and its message loop. The platform turns its native events into
// WindowEvents and hands every one to the program's window procedure on the window
// thread; the host's rules (app/) decide what they mean.
namespace platform {

// An X window id or a Windows window handle; 0 is none.
using WindowHandle = std::uintptr_t;

enum class WindowMessage {
    Create,        // the window exists; first message
    Destroy,       // the window is going away; last message
    User,          // sent from another thread with SendUserMessage
    Close,         // a request to close (PostCloseMessage)
    SetText,       // someone tries to change the title; result 0 refuses it
    Paint,
    ShowWindow,    // wParam 1 shown, 0 hidden
    SetCursor,
    ActivateApp,   // wParam 1 activated, 0 deactivated
    KeyDown,
    SysKeyDown,
    MouseMove,     // the event's own coordinates are not used: read CursorPosition
    LeftButtonDown,
    RightButtonDown,
    MiddleButtonDown,
    PowerBroadcast,
    Help,
    ContextMenu,
    SysCommand,    // wParam the command (the system's SC_ numbers)
    Timer,
    Power,         // the old power message; wParam 3 is a critical resume
    VerifyPassword,       // the password check a full-screen saver sends itself
    QueryCancelAutoPlay,  // may the system's AutoPlay start?
    Other,
};

struct WindowEvent {
    WindowHandle window = 0;
    WindowMessage message = WindowMessage::Other;
    std::intptr_t wParam = 0;
    std::intptr_t lParam = 0;
    // The window system's own message number, so that its default handling can be
    // reached for messages the program does not know (0 where there is none).
    std::uint32_t nativeMessage = 0;
};

// The program's window procedure; its result is the message's result.
using WindowProcedure = std::intptr_t (*)(const WindowEvent& event);

bool WindowExists(WindowHandle window);
WindowHandle ForegroundWindow();
// The window under every other (X's root window); 0 without a display.
WindowHandle DesktopWindow();

// Creates the saver window (full screen when parent is 0, else a child filling parent),
// runs the message loop until the window is destroyed, and returns the exit value
// (0 when no window could be created). A second full-screen saver raises the first
// and returns 0 without a window; any number of savers may run inside windows.
// Where the system stops programs by signal (SIGTERM, SIGINT, SIGHUP), such a signal
// during the loop closes the window as a Close message does.
int RunSaverWindow(WindowHandle parent, WindowProcedure procedure);

// Thread-safe: queues a Close message for the window.
void PostCloseMessage(WindowHandle window);

// Window thread: destroys the window (its Destroy message is delivered first).
void DestroySaverWindow(WindowHandle window);

// Any other thread: delivers a User message on the window thread and returns after
// the procedure has handled it (or at once when the window is gone).
void SendUserMessage(WindowHandle window);

// Window thread: posts the event's message to the window's parent, with wParam the
// parent's handle and the same lParam; false when there is no parent window.
bool PostToParentWindow(const WindowEvent& event);

// Window thread: drops the window's pending timer messages, then hands it a
// VerifyPassword message at once; the procedure's result.
std::intptr_t SendVerifyPasswordMessage(WindowHandle window);

// Pointer position in screen coordinates; false when unknown.
bool CursorPosition(int* x, int* y);

void HideCursor(WindowHandle window);

// The window system's own handling of a message: Close destroys the window, a refused
// SetText keeps the title; everything else needs nothing.
std::intptr_t DefaultWindowProcedure(const WindowEvent& event);

// Mains power: 0 off line, 1 on line, 0xFF unknown.
int AcLineStatus();

}  // namespace platform
