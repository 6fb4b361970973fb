// The saver window on Windows, under Wine with a display: a Create handler that gives
// up on the window, and the size the render thread reads while a preview's parent is
// resized. The window class is registered once per process, so ctest runs each case in
// a process of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/SaverWindow.h"
#include "platform/win32/SaverWindowWin32.h"

namespace {

using platform::WindowEvent;
using platform::WindowMessage;

// A plain top-level window of this thread, standing in for the control panel's preview.
HWND MakeParent(int width, int height)
{
    WNDCLASSW windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"SaverWindowWin32TestParent";
    RegisterClassW(&windowClass);
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN;
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    return CreateWindowExW(0, windowClass.lpszClassName, L"Parent", style, 0, 0, frame.right - frame.left,
                           frame.bottom - frame.top, nullptr, nullptr, windowClass.hInstance, nullptr);
}

bool QuitMessagePending()
{
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

// What the procedures saw, in order, and the saver window.
std::vector<WindowMessage> seen;
HWND saverWindow = nullptr;

std::intptr_t Record(const WindowEvent& event)
{
    if (event.message == WindowMessage::Create || event.message == WindowMessage::Destroy)
        seen.push_back(event.message);
    if (event.message == WindowMessage::Create)
        saverWindow = reinterpret_cast<HWND>(event.window);
    return platform::DefaultWindowProcedure(event);
}

// As the program does when its render thread cannot start, once its box is closed: the
// window is destroyed from inside the Create handler.
std::intptr_t DestroyOnCreate(const WindowEvent& event)
{
    const std::intptr_t result = Record(event);
    if (event.message == WindowMessage::Create)
        platform::DestroySaverWindow(event.window);
    return result;
}

std::intptr_t RefuseCreate(const WindowEvent& event)
{
    const std::intptr_t result = Record(event);
    return event.message == WindowMessage::Create ? -1 : result;
}

// A window given up at its creation leaves no size behind for the render thread.
void ExpectSizeForgotten()
{
    int width = -1;
    int height = -1;
    platform::win32::LastClientSize(saverWindow, &width, &height);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
}

}  // namespace

TEST(SaverWindowWin32, ACreateHandlerThatDestroysTheWindowEndsTheRunCleanly)
{
    HWND parent = MakeParent(200, 150);
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(platform::RunSaverWindow(reinterpret_cast<platform::WindowHandle>(parent), DestroyOnCreate), 0);
    EXPECT_EQ(seen, (std::vector<WindowMessage>{WindowMessage::Create, WindowMessage::Destroy}));
    EXPECT_FALSE(IsWindow(saverWindow));
    // A quit message left behind would close the next box of this thread at once.
    EXPECT_FALSE(QuitMessagePending());
    ExpectSizeForgotten();
    DestroyWindow(parent);
}

TEST(SaverWindowWin32, ACreateHandlerThatRefusesTheWindowEndsTheRunCleanly)
{
    HWND parent = MakeParent(200, 150);
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(platform::RunSaverWindow(reinterpret_cast<platform::WindowHandle>(parent), RefuseCreate), 0);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), WindowMessage::Create);
    EXPECT_FALSE(IsWindow(saverWindow));
    EXPECT_FALSE(QuitMessagePending());
    ExpectSizeForgotten();
    DestroyWindow(parent);
}

namespace {

// Read on another thread, as the render thread reads it; each size the preview passes
// through must appear there without a call to the window thread.
struct SizeWatch {
    std::atomic<int> atCreateWidth{-1};
    std::atomic<int> atCreateHeight{-1};
    std::atomic<bool> sawGrown{false};
    std::atomic<bool> sawShrunk{false};
    std::thread watcher;
};
SizeWatch watch;
HWND watchedParent = nullptr;

void SetClientSize(HWND window, int width, int height)
{
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool WaitForSize(HWND window, int width, int height)
{
    for (int tries = 0; tries < 300; ++tries) {
        int w = 0;
        int h = 0;
        platform::win32::LastClientSize(window, &w, &h);
        if (w == width && h == height)
            return true;
        Sleep(10);
    }
    return false;
}

void Watch(HWND window)
{
    // The parent belongs to the window thread: resizing it from here waits for that
    // thread, which is free in its message loop.
    SetClientSize(watchedParent, 420, 310);
    watch.sawGrown = WaitForSize(window, 420, 310);
    SetClientSize(watchedParent, 150, 90);
    watch.sawShrunk = WaitForSize(window, 150, 90);
    PostMessageW(watchedParent, WM_CLOSE, 0, 0);
}

std::intptr_t WatchSize(const WindowEvent& event)
{
    if (event.message == WindowMessage::Create) {
        int width = 0;
        int height = 0;
        HWND window = reinterpret_cast<HWND>(event.window);
        platform::win32::LastClientSize(window, &width, &height);
        watch.atCreateWidth = width;
        watch.atCreateHeight = height;
        watch.watcher = std::thread(Watch, window);
    }
    return platform::DefaultWindowProcedure(event);
}

}  // namespace

TEST(SaverWindowWin32, APreviewsSizeFollowsItsParentAndIsReadableFromAnotherThread)
{
    watchedParent = MakeParent(320, 240);
    ASSERT_NE(watchedParent, nullptr);
    EXPECT_EQ(platform::RunSaverWindow(reinterpret_cast<platform::WindowHandle>(watchedParent), WatchSize), 0);
    if (watch.watcher.joinable())
        watch.watcher.join();
    // Known from the start: the render thread starts before the first WM_SIZE.
    EXPECT_EQ(watch.atCreateWidth, 320);
    EXPECT_EQ(watch.atCreateHeight, 240);
    EXPECT_TRUE(watch.sawGrown);
    EXPECT_TRUE(watch.sawShrunk);
}
