// The saver window on Windows: a topmost pop-up over the whole virtual desktop, or a
// child filling a preview window, with the wide-character API. Every message becomes a
// WindowEvent for the program's procedure; the system's own default handling is
// DefWindowProcW.
#include "platform/win32/SaverWindowWin32.h"

#include <atomic>
#include <cstdint>

#include "platform/SaverPassword.h"
#include "platform/SaverWindow.h"
#include "platform/win32/ProcAddress.h"

namespace platform {

namespace {

const wchar_t kClassName[] = L"WindowsScreenSaverClass";
const wchar_t kFullScreenTitle[] = L"Screen Saver";
const wchar_t kPreviewTitle[] = L"Preview";
const int kSaverIcon = 100;
const UINT kVerifyPasswordMessage = 0x8000;  // SCRM_VERIFYPW
// The preview follows its parent's size: the parent may live in another process, so
// its size is polled.
const UINT_PTR kFollowParentTimer = 0x5A45;
const UINT kFollowParentPeriodMs = 250;

typedef HIMC(WINAPI* AssociateContextFunction)(HWND, HIMC);

// Window-thread state.
struct WindowThread {
    WindowProcedure procedure = nullptr;
    HWND window = nullptr;
    HWND parent = nullptr;
    UINT autoPlayMessage = 0;
    AssociateContextFunction associateContext = nullptr;
    HIMC previousInputContext = nullptr;
};

// The client size for the render thread: width in the high half and height in the low,
// so that a reader never pairs one size's width with another's height.
std::atomic<HWND> sizedWindow{nullptr};
std::atomic<std::uint64_t> clientSize{0};

void StoreClientSize(HWND window, int width, int height)
{
    clientSize.store((static_cast<std::uint64_t>(static_cast<std::uint32_t>(width)) << 32) |
                     static_cast<std::uint32_t>(height));
    sizedWindow.store(window);
}

WindowThread& Thread()
{
    static WindowThread state;
    return state;
}

WindowMessage MessageOf(UINT message)
{
    switch (message) {
    case WM_CREATE: return WindowMessage::Create;
    case WM_DESTROY: return WindowMessage::Destroy;
    case WM_USER: return WindowMessage::User;
    case WM_CLOSE: return WindowMessage::Close;
    case WM_SETTEXT: return WindowMessage::SetText;
    case WM_PAINT: return WindowMessage::Paint;
    case WM_SHOWWINDOW: return WindowMessage::ShowWindow;
    case WM_SETCURSOR: return WindowMessage::SetCursor;
    case WM_ACTIVATEAPP: return WindowMessage::ActivateApp;
    case WM_KEYDOWN: return WindowMessage::KeyDown;
    case WM_SYSKEYDOWN: return WindowMessage::SysKeyDown;
    case WM_MOUSEMOVE: return WindowMessage::MouseMove;
    case WM_LBUTTONDOWN: return WindowMessage::LeftButtonDown;
    case WM_RBUTTONDOWN: return WindowMessage::RightButtonDown;
    case WM_MBUTTONDOWN: return WindowMessage::MiddleButtonDown;
    case WM_POWERBROADCAST: return WindowMessage::PowerBroadcast;
    case WM_HELP: return WindowMessage::Help;
    case WM_CONTEXTMENU: return WindowMessage::ContextMenu;
    case WM_SYSCOMMAND: return WindowMessage::SysCommand;
    case WM_TIMER: return WindowMessage::Timer;
    case WM_POWER: return WindowMessage::Power;
    case kVerifyPasswordMessage: return WindowMessage::VerifyPassword;
    default: break;
    }
    if (message != 0 && message == Thread().autoPlayMessage)
        return WindowMessage::QueryCancelAutoPlay;
    return WindowMessage::Other;
}

// Every monitor: the virtual desktop, or the screen's clip box where it is unknown.
RECT DesktopArea()
{
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width != 0 && height != 0)
        return RECT{x, y, x + width, y + height};
    HDC screen = GetDC(nullptr);
    RECT box = {0, 0, 0, 0};
    GetClipBox(screen, &box);
    ReleaseDC(nullptr, screen);
    return box;
}

void FollowParentSize()
{
    WindowThread& thread = Thread();
    RECT parentArea;
    RECT ownArea;
    if (thread.parent == nullptr || !GetClientRect(thread.parent, &parentArea) ||
        !GetClientRect(thread.window, &ownArea))
        return;
    if (parentArea.right != ownArea.right || parentArea.bottom != ownArea.bottom)
        MoveWindow(thread.window, 0, 0, parentArea.right, parentArea.bottom, TRUE);
}

LRESULT CALLBACK SaverWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowThread& thread = Thread();
    if (thread.procedure == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_TIMER && wParam == kFollowParentTimer && thread.parent != nullptr) {
        FollowParentSize();
        return 0;
    }
    if (message == WM_CREATE) {
        thread.window = window;
        // WM_SIZE comes only after WM_CREATE, which starts the render thread.
        RECT area = {0, 0, 0, 0};
        GetClientRect(window, &area);
        StoreClientSize(window, area.right, area.bottom);
        // An input method must not take the keys that close the saver.
        HMODULE imm = GetModuleHandleW(L"IMM32.DLL");
        if (imm != nullptr) {
            thread.associateContext = win32::ProcAddressAs<AssociateContextFunction>(imm, "ImmAssociateContext");
            if (thread.associateContext != nullptr)
                thread.previousInputContext = thread.associateContext(window, nullptr);
        }
        if (thread.parent != nullptr)
            SetTimer(window, kFollowParentTimer, kFollowParentPeriodMs, nullptr);
    } else if (message == WM_DESTROY) {
        if (thread.associateContext != nullptr && thread.previousInputContext != nullptr)
            thread.associateContext(window, thread.previousInputContext);
        thread.previousInputContext = nullptr;
        if (thread.parent != nullptr)
            KillTimer(window, kFollowParentTimer);
    } else if (message == WM_DISPLAYCHANGE && thread.parent == nullptr) {
        // A new resolution or another monitor: the full-screen window covers them again.
        const RECT desktop = DesktopArea();
        SetWindowPos(window, nullptr, desktop.left, desktop.top, desktop.right - desktop.left,
                     desktop.bottom - desktop.top, SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (message == WM_SIZE) {
        StoreClientSize(window, LOWORD(lParam), HIWORD(lParam));
    } else if (message == WM_NCDESTROY) {
        // The last message, also where a refused WM_CREATE brings no WM_DESTROY (Wine).
        thread.window = nullptr;
        sizedWindow.store(nullptr);
    }

    WindowEvent event;
    event.window = reinterpret_cast<WindowHandle>(window);
    event.message = MessageOf(message);
    event.wParam = static_cast<std::intptr_t>(wParam);
    event.lParam = static_cast<std::intptr_t>(lParam);
    event.nativeMessage = message;
    const std::intptr_t result = thread.procedure(event);
    if (message == WM_DESTROY) {
        thread.window = nullptr;
        sizedWindow.store(nullptr);
        PostQuitMessage(0);
    }
    return static_cast<LRESULT>(result);
}

HWND Handle(WindowHandle window) { return reinterpret_cast<HWND>(window); }

}  // namespace

namespace win32 {

void LastClientSize(HWND window, int* width, int* height)
{
    *width = 0;
    *height = 0;
    if (window == nullptr || sizedWindow.load() != window)
        return;
    const std::uint64_t size = clientSize.load();
    *width = static_cast<int>(size >> 32);
    *height = static_cast<int>(size & 0xFFFFFFFFu);
}

}  // namespace win32

bool WindowExists(WindowHandle window) { return window != 0 && IsWindow(Handle(window)); }

WindowHandle ForegroundWindow() { return reinterpret_cast<WindowHandle>(GetForegroundWindow()); }

WindowHandle DesktopWindow() { return reinterpret_cast<WindowHandle>(GetDesktopWindow()); }

int RunSaverWindow(WindowHandle parentHandle, WindowProcedure procedure)
{
    if (procedure == nullptr)
        return 0;
    WindowThread& thread = Thread();
    HINSTANCE module = GetModuleHandleW(nullptr);
    HWND parent = Handle(parentHandle);
    const bool preview = parent != nullptr;

    DWORD style = 0;
    DWORD extendedStyle = 0;
    const wchar_t* title = nullptr;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    if (preview) {
        RECT area;
        if (!GetClientRect(parent, &area))
            return 0;
        width = area.right;
        height = area.bottom;
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        title = kPreviewTitle;
    } else {
        const RECT desktop = DesktopArea();
        x = desktop.left;
        y = desktop.top;
        width = desktop.right - desktop.left;
        height = desktop.bottom - desktop.top;
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        extendedStyle = WS_EX_TOPMOST;
        title = kFullScreenTitle;
        HWND running = FindWindowW(kClassName, kFullScreenTitle);
        if (running != nullptr && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
    }
    // The system asks a saver whether AutoPlay may start only on Windows 9x.
    thread.autoPlayMessage = SaverChecksPassword() ? RegisterWindowMessageW(L"QueryCancelAutoPlay") : 0;

    WNDCLASSW windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = SaverWindowProcedure;
    windowClass.hInstance = module;
    windowClass.hIcon = LoadIconW(module, MAKEINTRESOURCEW(kSaverIcon));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    if (RegisterClassW(&windowClass) == 0)
        return 0;

    thread.procedure = procedure;
    thread.parent = parent;
    HWND window = CreateWindowExW(extendedStyle, kClassName, title, style, x, y, width, height, parent, nullptr,
                                  module, nullptr);
    if (window == nullptr) {
        // A Create handler that destroyed the window (CreateWindowExW then returns null)
        // has seen WM_DESTROY post the quit message: left queued, it would end the next
        // modal loop of this thread at once, such as a box telling the user why.
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        thread.procedure = nullptr;
        return 0;
    }
    if (!preview)
        SetForegroundWindow(window);
    MSG message;
    int exitValue = 0;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            exitValue = static_cast<int>(message.wParam);
            break;
        }
        if (got < 0)
            break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    thread.procedure = nullptr;
    return exitValue;
}

void PostCloseMessage(WindowHandle window) { PostMessageW(Handle(window), WM_CLOSE, 0, 0); }

// Also from the Create handler: the window is destroyed at once and CreateWindowExW
// returns null, as the system documents.
void DestroySaverWindow(WindowHandle window) { DestroyWindow(Handle(window)); }

void SendUserMessage(WindowHandle window)
{
    // Returns at once when the window is gone.
    SendMessageW(Handle(window), WM_USER, 0, 0);
}

bool PostToParentWindow(const WindowEvent& event)
{
    HWND parent = GetParent(Handle(event.window));
    if (parent == nullptr || !IsWindow(parent))
        return false;
    PostMessageW(parent, event.nativeMessage, reinterpret_cast<WPARAM>(parent), static_cast<LPARAM>(event.lParam));
    return true;
}

std::intptr_t SendVerifyPasswordMessage(WindowHandle window)
{
    HWND handle = Handle(window);
    MSG pending;
    PeekMessageW(&pending, handle, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageW(&pending, handle, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    return static_cast<std::intptr_t>(SendMessageW(handle, kVerifyPasswordMessage, 0, 0));
}

bool CursorPosition(int* x, int* y)
{
    POINT point;
    if (!GetCursorPos(&point))
        return false;
    *x = point.x;
    *y = point.y;
    return true;
}

void HideCursor(WindowHandle) { SetCursor(nullptr); }

std::intptr_t DefaultWindowProcedure(const WindowEvent& event)
{
    return static_cast<std::intptr_t>(DefWindowProcW(Handle(event.window), event.nativeMessage,
                                                     static_cast<WPARAM>(event.wParam),
                                                     static_cast<LPARAM>(event.lParam)));
}

int AcLineStatus()
{
    SYSTEM_POWER_STATUS status;
    if (!GetSystemPowerStatus(&status))
        return 0xFF;
    return status.ACLineStatus;
}

}  // namespace platform
