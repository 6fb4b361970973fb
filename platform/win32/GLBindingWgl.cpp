// OpenGL on the saver window through WGL. The overlay text is drawn by GDI into a
// device-independent bitmap and copied into the back buffer: GDI drawing on the window
// itself would go to the front and be wiped by the next swap.
#include <GL/glew.h>
#include <GL/wglew.h>
#include <windows.h>

#include <cstring>

#include "platform/GLBinding.h"
#include "platform/OverlayGLState.h"
#include "platform/win32/ProcAddress.h"
#include "platform/win32/SaverWindowWin32.h"

namespace platform {

struct GLSurface {
    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC context = nullptr;
    // The overlay: a memory device context with a 32-bit bottom-up section.
    HDC overlayContext = nullptr;
    HBITMAP overlayBitmap = nullptr;
    HGDIOBJ overlayOldBitmap = nullptr;
    void* overlayPixels = nullptr;
    int overlayWidth = 0;
    int overlayHeight = 0;
};

namespace {

bool PrepareOverlayBitmap(GLSurface* surface, int width, int height)
{
    if (surface->overlayBitmap != nullptr && surface->overlayWidth == width && surface->overlayHeight == height)
        return true;
    if (surface->overlayContext == nullptr) {
        surface->overlayContext = CreateCompatibleDC(surface->deviceContext);
        if (surface->overlayContext == nullptr)
            return false;
    }
    if (surface->overlayBitmap != nullptr) {
        SelectObject(surface->overlayContext, surface->overlayOldBitmap);
        DeleteObject(surface->overlayBitmap);
        surface->overlayBitmap = nullptr;
    }
    BITMAPINFO format;
    ZeroMemory(&format, sizeof format);
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height;  // bottom row first, as glDrawPixels reads
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    surface->overlayBitmap =
        CreateDIBSection(surface->overlayContext, &format, DIB_RGB_COLORS, &surface->overlayPixels, nullptr, 0);
    if (surface->overlayBitmap == nullptr)
        return false;
    surface->overlayOldBitmap = SelectObject(surface->overlayContext, surface->overlayBitmap);
    // The font the window's own device context starts with.
    SelectObject(surface->overlayContext, GetCurrentObject(surface->deviceContext, OBJ_FONT));
    surface->overlayWidth = width;
    surface->overlayHeight = height;
    return true;
}

void ReleaseOverlay(GLSurface* surface)
{
    if (surface->overlayContext == nullptr)
        return;
    if (surface->overlayBitmap != nullptr) {
        SelectObject(surface->overlayContext, surface->overlayOldBitmap);
        DeleteObject(surface->overlayBitmap);
    }
    DeleteDC(surface->overlayContext);
    surface->overlayContext = nullptr;
    surface->overlayBitmap = nullptr;
}

}  // namespace

GLSurface* OpenGLSurface(WindowHandle window)
{
    HWND handle = reinterpret_cast<HWND>(window);
    if (handle == nullptr)
        return nullptr;
    HDC deviceContext = GetDC(handle);
    if (deviceContext == nullptr)
        return nullptr;
    // Double-buffered RGBA, 24 colour bits; everything else 0. No depth buffer: the
    // frame is drawn offscreen with depth of its own, and a window without one takes
    // the finished frame as a plain copy on a software renderer.
    PIXELFORMATDESCRIPTOR descriptor;
    ZeroMemory(&descriptor, sizeof descriptor);
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 24;
    descriptor.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(deviceContext, &descriptor);
    SetPixelFormat(deviceContext, format, &descriptor);

    GLSurface* surface = new GLSurface();
    surface->window = handle;
    surface->deviceContext = deviceContext;
    return surface;
}

bool CreateGLContext(GLSurface* surface)
{
    if (surface == nullptr)
        return false;
    surface->context = wglCreateContext(surface->deviceContext);
    return surface->context != nullptr;
}

void MakeGLContextCurrent(GLSurface* surface)
{
    if (surface != nullptr && surface->context != nullptr)
        wglMakeCurrent(surface->deviceContext, surface->context);
}

bool HasSwapControl(GLSurface*) { return WGLEW_EXT_swap_control; }

void SetSwapInterval(GLSurface*, int interval)
{
    typedef BOOL(WINAPI * SwapIntervalFunction)(int);
    const SwapIntervalFunction swapInterval =
        win32::ProcAddressAs<SwapIntervalFunction>(wglGetProcAddress("wglSwapIntervalEXT"));
    if (swapInterval != nullptr)
        swapInterval(interval);
}

void SwapGLBuffers(GLSurface* surface)
{
    if (surface != nullptr && surface->context != nullptr)
        SwapBuffers(surface->deviceContext);
}

void DeleteGLContext(GLSurface* surface)
{
    if (surface == nullptr || surface->context == nullptr)
        return;
    ReleaseOverlay(surface);
    wglDeleteContext(surface->context);  // still current: deleting it releases it
    surface->context = nullptr;
}

void CloseGLSurface(GLSurface* surface)
{
    if (surface == nullptr)
        return;
    ReleaseOverlay(surface);
    ReleaseDC(surface->window, surface->deviceContext);
    delete surface;
}

void DrawableSize(GLSurface* surface, int* width, int* height)
{
    *width = 0;
    *height = 0;
    if (surface != nullptr)
        win32::LastClientSize(surface->window, width, height);
}

void DisplaySize(GLSurface* surface, int* width, int* height)
{
    *width = 0;
    *height = 0;
    if (surface == nullptr)
        return;
    *width = GetDeviceCaps(surface->deviceContext, HORZRES);
    *height = GetDeviceCaps(surface->deviceContext, VERTRES);
}

double DisplayRefreshRate(GLSurface* surface)
{
    if (surface == nullptr || surface->deviceContext == nullptr)
        return 0.0;
    // 0 and 1 stand for the hardware's default rate, which the system does not tell.
    const int rate = GetDeviceCaps(surface->deviceContext, VREFRESH);
    return rate > 1 ? static_cast<double>(rate) : 0.0;
}

void DrawOverlayText(GLSurface* surface, const char* text, int right, int bottom)
{
    if (surface == nullptr || surface->context == nullptr || right <= 0 || bottom <= 0)
        return;
    // The size the frame's viewport follows, so that the text keeps to the top-left
    // corner of a window that grows or shrinks.
    int windowWidth = 0;
    int windowHeight = 0;
    DrawableSize(surface, &windowWidth, &windowHeight);
    if (windowWidth <= 0 || windowHeight <= 0)
        return;
    // GDI draws within the rectangle only; nothing beyond the window shows.
    const int width = right < windowWidth ? right : windowWidth;
    const int height = bottom < windowHeight ? bottom : windowHeight;
    if (!PrepareOverlayBitmap(surface, right, bottom))
        return;

    // What GDI paints: the text's own cells, white on an opaque black background.
    RECT extent = {0, 0, right, bottom};
    DrawTextA(surface->overlayContext, text, -1, &extent, DT_CALCRECT);
    const int textWidth = extent.right < width ? static_cast<int>(extent.right) : width;
    const int textHeight = extent.bottom < height ? static_cast<int>(extent.bottom) : height;
    if (textWidth <= 0 || textHeight <= 0)
        return;
    RECT area = {0, 0, right, bottom};
    SetTextColor(surface->overlayContext, RGB(255, 255, 255));
    SetBkColor(surface->overlayContext, RGB(0, 0, 0));
    DrawTextA(surface->overlayContext, text, -1, &area, 0);
    GdiFlush();

    // The block's top row is the window's top row; the bitmap's rows run bottom up.
    const OverlayGLState overlayState(windowWidth, windowHeight);
    glPixelZoom(1.0f, 1.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, right);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, bottom - textHeight);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelTransferf(GL_ALPHA_SCALE, 1.0f);
    glWindowPos2i(0, windowHeight - textHeight);
    glDrawPixels(textWidth, textHeight, GL_BGRA, GL_UNSIGNED_BYTE, surface->overlayPixels);
}

}  // namespace platform
