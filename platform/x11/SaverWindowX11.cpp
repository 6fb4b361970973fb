// The saver window on X11: a full-screen override-redirect window that grabs input, or a
// child filling a preview window (or a screen-saver daemon's window, or the root
// window), with a message loop that turns X events into WindowEvents. Other threads and
// the stop signals reach the loop through a self-pipe.
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "platform/SaverWindow.h"
#include "platform/StopRequests.h"
#include "platform/x11/X11Session.h"

namespace platform {

namespace {

const char kFullScreenTitle[] = "Screen Saver";
const char kPreviewTitle[] = "Preview";
// Marks a running full-screen saver, so that a second one can find it.
const char kSaverAtomName[] = "_ZENTHARIS_SAVER";

std::atomic<unsigned long> errorCount{0};
std::atomic<unsigned long> goneWindow{0};
std::atomic<unsigned long> liveWindow{0};

int RecordXError(Display*, XErrorEvent* error)
{
    // The default handler exits the process; a window vanishing under us is expected.
    // An error naming the saver window tells the render thread early that it is gone.
    errorCount.fetch_add(1);
    if ((error->error_code == BadWindow || error->error_code == BadDrawable) && error->resourceid != 0 &&
        error->resourceid == liveWindow.load())
        goneWindow.store(error->resourceid);
    return 0;
}

// The X server went away: nothing can be shown any more. The process ends at once, as
// the host ends it, without running static destructors under the render thread.
int EndWithLostDisplay(Display*) { std::_Exit(1); }

// Window-thread state; only the window thread touches it.
struct WindowThread {
    Display* display = nullptr;
    bool displayTried = false;
    Window window = 0;
    Window parent = 0;  // preview only
    Window root = 0;
    bool preview = false;
    bool destroyed = true;
    WindowProcedure procedure = nullptr;
    Cursor blankCursor = 0;
    Atom wmName = 0;
    Atom netWmName = 0;
    Atom utf8String = 0;
    int wakePipe[2] = {-1, -1};
};

WindowThread& Thread()
{
    static WindowThread state;
    return state;
}

// Shared with other threads.
std::mutex requestMutex;
std::condition_variable requestHandled;
bool loopOpen = false;
Window loopWindow = 0;
bool closeRequested = false;
unsigned long userRequests = 0;
unsigned long userHandled = 0;
std::atomic<int> windowWidth{0};
std::atomic<int> windowHeight{0};

Display* WindowDisplay()
{
    WindowThread& thread = Thread();
    if (!thread.displayTried) {
        thread.displayTried = true;
        x11::InitializeXlib();
        thread.display = XOpenDisplay(nullptr);
    }
    return thread.display;
}

void Wake()
{
    const char byte = 1;
    if (Thread().wakePipe[1] >= 0)
        (void)!write(Thread().wakePipe[1], &byte, 1);
}

std::intptr_t Deliver(WindowMessage message, std::intptr_t wParam = 0)
{
    WindowThread& thread = Thread();
    WindowEvent event;
    event.window = thread.window;
    event.message = message;
    event.wParam = wParam;
    return thread.procedure(event);
}

// Destroy reaches the procedure first (the program stops its render thread there), and
// only then does the X window go, unless it is gone already.
void DestroyNow(bool alreadyGone)
{
    WindowThread& thread = Thread();
    if (thread.destroyed)
        return;
    thread.destroyed = true;
    if (alreadyGone)
        goneWindow.store(thread.window);
    Deliver(WindowMessage::Destroy);
    if (!alreadyGone) {
        XUngrabKeyboard(thread.display, CurrentTime);
        XUngrabPointer(thread.display, CurrentTime);
        XDestroyWindow(thread.display, thread.window);
    }
    XSync(thread.display, False);
}

Window FindRunningSaver(Display* display, Window root)
{
    const Atom marker = XInternAtom(display, kSaverAtomName, False);
    Window rootReturn = 0;
    Window parentReturn = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, root, &rootReturn, &parentReturn, &children, &count) == 0)
        return 0;
    for (unsigned int i = count; i-- > 0 && found == 0;) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        // The window of a saver that has just ended may outlive its process briefly.
        if (XGetWindowProperty(display, children[i], marker, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                               &after, &data) == Success &&
            type == XA_CARDINAL && format == 32 && items == 1 && data != nullptr) {
            const long pid = *reinterpret_cast<const long*>(data);
            if (pid > 0 && (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM))
                found = children[i];
        }
        if (data != nullptr)
            XFree(data);
    }
    if (children != nullptr)
        XFree(children);
    return found;
}

void SetTitle(const char* title)
{
    WindowThread& thread = Thread();
    XStoreName(thread.display, thread.window, title);
    XChangeProperty(thread.display, thread.window, thread.netWmName, thread.utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title), static_cast<int>(std::strlen(title)));
}

// A title change has already happened on X11; refusing it means putting ours back.
void HandleTitleChange()
{
    WindowThread& thread = Thread();
    const char* ours = thread.preview ? kPreviewTitle : kFullScreenTitle;
    char* name = nullptr;
    const bool same = XFetchName(thread.display, thread.window, &name) != 0 && name != nullptr &&
                      std::strcmp(name, ours) == 0;
    if (name != nullptr)
        XFree(name);
    if (same)
        return;
    if (Deliver(WindowMessage::SetText) == 0)
        SetTitle(ours);
}

void GrabInput()
{
    WindowThread& thread = Thread();
    XSetInputFocus(thread.display, thread.window, RevertToParent, CurrentTime);
    // Another client may hold a grab for a moment (a menu, a drag).
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (XGrabKeyboard(thread.display, thread.window, True, GrabModeAsync, GrabModeAsync, CurrentTime) ==
            GrabSuccess)
            break;
        usleep(50000);
    }
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (XGrabPointer(thread.display, thread.window, True, ButtonPressMask | PointerMotionMask, GrabModeAsync,
                         GrabModeAsync, None, thread.blankCursor, CurrentTime) == GrabSuccess)
            break;
        usleep(50000);
    }
}

bool IsActivationChange(const XFocusChangeEvent& focus)
{
    return (focus.mode == NotifyNormal || focus.mode == NotifyWhileGrabbed) && focus.detail != NotifyInferior &&
           focus.detail != NotifyPointer;
}

void HandleEvent(XEvent& event)
{
    WindowThread& thread = Thread();
    if (thread.preview && event.xany.window == thread.parent) {
        if (event.type == ConfigureNotify) {
            XResizeWindow(thread.display, thread.window, static_cast<unsigned>(event.xconfigure.width),
                          static_cast<unsigned>(event.xconfigure.height));
        } else if (event.type == DestroyNotify && event.xdestroywindow.window == thread.parent) {
            DestroyNow(true);
        }
        return;
    }
    if (!thread.preview && event.xany.window == thread.root) {
        // The screen's size changed (a new resolution, a monitor added): cover it again.
        if (event.type == ConfigureNotify && event.xconfigure.window == thread.root)
            XResizeWindow(thread.display, thread.window, static_cast<unsigned>(event.xconfigure.width),
                          static_cast<unsigned>(event.xconfigure.height));
        return;
    }
    if (event.xany.window != thread.window)
        return;

    switch (event.type) {
    case DestroyNotify:
        DestroyNow(true);
        break;
    case ConfigureNotify:
        windowWidth.store(event.xconfigure.width);
        windowHeight.store(event.xconfigure.height);
        break;
    case MapNotify:
        Deliver(WindowMessage::ShowWindow, 1);
        if (!thread.preview && !thread.destroyed)
            GrabInput();
        break;
    case UnmapNotify:
        Deliver(WindowMessage::ShowWindow, 0);
        break;
    case Expose:
        if (event.xexpose.count == 0)
            Deliver(WindowMessage::Paint);
        break;
    case KeyPress:
        Deliver((event.xkey.state & Mod1Mask) != 0 ? WindowMessage::SysKeyDown : WindowMessage::KeyDown);
        break;
    case ButtonPress:
        switch (event.xbutton.button) {
        case Button1:
            Deliver(WindowMessage::LeftButtonDown);
            break;
        case Button2:
            Deliver(WindowMessage::MiddleButtonDown);
            break;
        case Button3:
            Deliver(WindowMessage::RightButtonDown);
            break;
        default:
            Deliver(WindowMessage::Other);  // the wheel
            break;
        }
        break;
    case MotionNotify:
        // The position is read afresh from the pointer, so queued motion adds nothing.
        while (XCheckTypedWindowEvent(thread.display, thread.window, MotionNotify, &event)) {
        }
        Deliver(WindowMessage::MouseMove);
        break;
    case FocusIn:
    case FocusOut:
        if (IsActivationChange(event.xfocus))
            Deliver(WindowMessage::ActivateApp, event.type == FocusIn ? 1 : 0);
        break;
    case PropertyNotify:
        if (event.xproperty.state == PropertyNewValue &&
            (event.xproperty.atom == thread.wmName || event.xproperty.atom == thread.netWmName))
            HandleTitleChange();
        break;
    default:
        break;
    }
}

void HandleRequests()
{
    WindowThread& thread = Thread();
    bool close = false;
    unsigned long users = 0;
    {
        std::lock_guard<std::mutex> lock(requestMutex);
        close = closeRequested;
        closeRequested = false;
        users = userRequests - userHandled;
    }
    for (unsigned long i = 0; i < users; ++i) {
        if (!thread.destroyed)
            Deliver(WindowMessage::User);
        std::lock_guard<std::mutex> lock(requestMutex);
        ++userHandled;
        requestHandled.notify_all();
    }
    if (close && !thread.destroyed)
        Deliver(WindowMessage::Close);
}

void RunLoop()
{
    WindowThread& thread = Thread();
    // The stop pipe stays readable once a stop is asked for: it is watched until then.
    pollfd fds[3] = {{ConnectionNumber(thread.display), POLLIN, 0},
                     {thread.wakePipe[0], POLLIN, 0},
                     {x11::StopRequestFd(), POLLIN, 0}};
    while (!thread.destroyed) {
        if (fds[2].fd >= 0 && StopRequested()) {
            fds[2].fd = -1;
            Deliver(WindowMessage::Close);
            continue;
        }
        while (!thread.destroyed && XPending(thread.display) > 0) {
            XEvent event;
            XNextEvent(thread.display, &event);
            HandleEvent(event);
        }
        if (thread.destroyed)
            break;
        HandleRequests();
        if (thread.destroyed)
            break;
        XFlush(thread.display);
        if (XPending(thread.display) > 0)
            continue;
        if (poll(fds, 3, -1) > 0 && (fds[1].revents & POLLIN) != 0) {
            char drain[64];
            while (read(thread.wakePipe[0], drain, sizeof drain) > 0) {
            }
        }
    }
}

Cursor MakeBlankCursor(Display* display, Window root)
{
    static const char noBits[1] = {0};
    const Pixmap pixmap = XCreateBitmapFromData(display, root, noBits, 1, 1);
    XColor black;
    std::memset(&black, 0, sizeof black);
    const Cursor cursor = XCreatePixmapCursor(display, pixmap, pixmap, &black, &black, 0, 0);
    XFreePixmap(display, pixmap);
    return cursor;
}

}  // namespace

namespace x11 {

void InitializeXlib()
{
    static std::once_flag once;
    std::call_once(once, [] {
        XInitThreads();
        XSetErrorHandler(RecordXError);
        XSetIOErrorHandler(EndWithLostDisplay);
    });
}

const char* DisplayName() { return nullptr; }

bool SaverWindowGone(unsigned long window) { return window != 0 && goneWindow.load() == window; }

void SaverWindowSize(int* width, int* height)
{
    *width = windowWidth.load();
    *height = windowHeight.load();
}

void ReleaseSaverInput()
{
    WindowThread& thread = Thread();
    if (thread.display == nullptr)
        return;
    XUngrabKeyboard(thread.display, CurrentTime);
    XUngrabPointer(thread.display, CurrentTime);
    XFlush(thread.display);
}

unsigned long ErrorCount() { return errorCount.load(); }

}  // namespace x11

bool WindowExists(WindowHandle window)
{
    Display* display = WindowDisplay();
    if (display == nullptr || window == 0)
        return false;
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, static_cast<Window>(window), &attributes) != 0;
}

WindowHandle DesktopWindow()
{
    Display* display = WindowDisplay();
    return display != nullptr ? static_cast<WindowHandle>(DefaultRootWindow(display)) : 0;
}

WindowHandle ForegroundWindow()
{
    Display* display = WindowDisplay();
    if (display == nullptr)
        return 0;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus > PointerRoot ? static_cast<WindowHandle>(focus) : 0;
}

int RunSaverWindow(WindowHandle parentHandle, WindowProcedure procedure)
{
    Display* display = WindowDisplay();
    if (display == nullptr || procedure == nullptr)
        return 0;
    WindowThread& thread = Thread();
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    const Window parent = static_cast<Window>(parentHandle);
    const bool preview = parent != 0;

    // Asked to stop before there was anything to close.
    if (StopRequested())
        return 0;
    if (thread.wakePipe[0] < 0 && pipe2(thread.wakePipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return 0;

    if (!preview) {
        const Window running = FindRunningSaver(display, root);
        if (running != 0) {
            XRaiseWindow(display, running);
            XSync(display, False);
            return 0;
        }
    }

    int x = 0;
    int y = 0;
    unsigned width = static_cast<unsigned>(DisplayWidth(display, screen));
    unsigned height = static_cast<unsigned>(DisplayHeight(display, screen));
    if (preview) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, parent, &attributes) == 0)
            return 0;
        width = static_cast<unsigned>(attributes.width);
        height = static_cast<unsigned>(attributes.height);
    }

    // The render thread makes its context on this window, so it needs a GLX visual. No
    // depth buffer: the frame is drawn offscreen with depth of its own, and a window
    // without one takes the finished frame as a plain copy on a software renderer.
    int visualAttributes[] = {GLX_RGBA,      GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8,
                              GLX_BLUE_SIZE, 8,                None};
    XVisualInfo* visual = glXChooseVisual(display, screen, visualAttributes);
    if (visual == nullptr)
        return 0;

    thread.blankCursor = MakeBlankCursor(display, root);
    thread.wmName = XA_WM_NAME;
    thread.netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    thread.utf8String = XInternAtom(display, "UTF8_STRING", False);

    XSetWindowAttributes attributes;
    std::memset(&attributes, 0, sizeof attributes);
    attributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    attributes.border_pixel = 0;
    attributes.background_pixel = BlackPixel(display, screen);
    // Inside the root window the saver is a backdrop no window manager should frame.
    const bool insideRoot = preview && parent == root;
    attributes.override_redirect = preview && !insideRoot ? False : True;
    attributes.event_mask = ExposureMask | StructureNotifyMask | PropertyChangeMask;
    if (!preview)
        attributes.event_mask |= KeyPressMask | ButtonPressMask | PointerMotionMask | FocusChangeMask;
    const unsigned long valueMask =
        CWColormap | CWBorderPixel | CWBackPixel | CWEventMask | (preview && !insideRoot ? 0 : CWOverrideRedirect);
    const Window window = XCreateWindow(display, preview ? parent : root, x, y, width, height, 0, visual->depth,
                                        InputOutput, visual->visual, valueMask, &attributes);
    XFree(visual);
    if (window == 0) {
        XFreeColormap(display, attributes.colormap);
        return 0;
    }

    thread.window = window;
    thread.parent = parent;
    thread.root = root;
    thread.preview = preview;
    thread.procedure = procedure;
    thread.destroyed = false;
    windowWidth.store(static_cast<int>(width));
    windowHeight.store(static_cast<int>(height));
    goneWindow.store(0);
    liveWindow.store(window);

    SetTitle(preview ? kPreviewTitle : kFullScreenTitle);
    XClassHint classHint;
    classHint.res_name = const_cast<char*>("zentharis");
    classHint.res_class = const_cast<char*>("Zentharis");
    XSetClassHint(display, window, &classHint);
    if (preview) {
        XSelectInput(display, parent, StructureNotifyMask);
    } else {
        XSelectInput(display, root, StructureNotifyMask);
        const long pid = static_cast<long>(getpid());
        XChangeProperty(display, window, XInternAtom(display, kSaverAtomName, False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
    }
    XSync(display, False);

    {
        std::lock_guard<std::mutex> lock(requestMutex);
        loopOpen = true;
        loopWindow = window;
        closeRequested = false;
    }

    Deliver(WindowMessage::Create);
    if (!thread.destroyed) {
        if (insideRoot) {
            XMapWindow(display, window);
            XLowerWindow(display, window);
        } else if (preview) {
            XMapWindow(display, window);
        } else {
            XMapRaised(display, window);
        }
        RunLoop();
    }

    {
        std::lock_guard<std::mutex> lock(requestMutex);
        loopOpen = false;
        loopWindow = 0;
        requestHandled.notify_all();
    }
    XSelectInput(display, preview ? parent : root, NoEventMask);
    XFreeCursor(display, thread.blankCursor);
    thread.blankCursor = 0;
    XFreeColormap(display, attributes.colormap);
    XSync(display, False);
    return 0;
}

void PostCloseMessage(WindowHandle window)
{
    std::lock_guard<std::mutex> lock(requestMutex);
    if (!loopOpen || loopWindow != window)
        return;
    closeRequested = true;
    Wake();
}

void DestroySaverWindow(WindowHandle window)
{
    WindowThread& thread = Thread();
    if (!thread.destroyed && thread.window == window)
        DestroyNow(false);
}

void SendUserMessage(WindowHandle window)
{
    std::unique_lock<std::mutex> lock(requestMutex);
    if (!loopOpen || loopWindow != window)
        return;
    const unsigned long ticket = ++userRequests;
    Wake();
    requestHandled.wait(lock, [ticket] { return userHandled >= ticket || !loopOpen; });
}

bool PostToParentWindow(const WindowEvent&)
{
    // Help and context-menu requests do not exist here.
    return false;
}

std::intptr_t SendVerifyPasswordMessage(WindowHandle window)
{
    WindowThread& thread = Thread();
    if (thread.destroyed || thread.window != window)
        return 0;
    return Deliver(WindowMessage::VerifyPassword);
}

bool CursorPosition(int* x, int* y)
{
    Display* display = WindowDisplay();
    if (display == nullptr)
        return false;
    Window rootReturn = 0;
    Window child = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    return XQueryPointer(display, DefaultRootWindow(display), &rootReturn, &child, x, y, &windowX, &windowY,
                         &mask) != 0;
}

void HideCursor(WindowHandle window)
{
    WindowThread& thread = Thread();
    if (thread.display != nullptr && thread.blankCursor != 0 && window != 0)
        XDefineCursor(thread.display, static_cast<Window>(window), thread.blankCursor);
}

std::intptr_t DefaultWindowProcedure(const WindowEvent& event)
{
    if (event.message == WindowMessage::Close)
        DestroySaverWindow(event.window);
    return 0;
}

int AcLineStatus() { return 0xFF; }

}  // namespace platform
