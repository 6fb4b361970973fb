// OpenGL on the saver window through GLX. The render thread has a display connection of
// its own, so drawing never waits on the window thread's event loop.
#include <GL/glew.h>
#include <GL/glxew.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <dlfcn.h>

#include <cstring>

#include "platform/GLBinding.h"
#include "platform/OverlayGLState.h"
#include "platform/x11/X11Session.h"

namespace platform {

struct GLSurface {
    Display* display = nullptr;
    Window window = 0;
    int screen = 0;
    XVisualInfo* visual = nullptr;
    GLXContext context = nullptr;
    XFontStruct* font = nullptr;
    GLuint fontLists = 0;  // one display list per character code
    bool released = false;  // the window went away and the context was let go
};

namespace {

const int kFirstGlyph = 32;
const int kGlyphCount = 96;

// The overlay font: the server's "fixed" font is built into every X server.
void PrepareOverlayFont(GLSurface* surface)
{
    if (surface->font != nullptr)
        return;
    surface->font = XLoadQueryFont(surface->display, "fixed");
    if (surface->font == nullptr)
        return;
    surface->fontLists = glGenLists(kFirstGlyph + kGlyphCount);
    if (surface->fontLists != 0)
        glXUseXFont(surface->font->fid, kFirstGlyph, kGlyphCount, surface->fontLists + kFirstGlyph);
}

}  // namespace

GLSurface* OpenGLSurface(WindowHandle window)
{
    x11::InitializeXlib();
    Display* display = XOpenDisplay(x11::DisplayName());
    if (display == nullptr)
        return nullptr;
    XWindowAttributes attributes;
    if (window == 0 || XGetWindowAttributes(display, static_cast<Window>(window), &attributes) == 0) {
        XCloseDisplay(display);
        return nullptr;
    }
    XVisualInfo pattern;
    std::memset(&pattern, 0, sizeof pattern);
    pattern.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    XVisualInfo* visual = XGetVisualInfo(display, VisualIDMask, &pattern, &count);
    if (visual == nullptr) {
        XCloseDisplay(display);
        return nullptr;
    }
    GLSurface* surface = new GLSurface();
    surface->display = display;
    surface->window = static_cast<Window>(window);
    surface->screen = XScreenNumberOfScreen(attributes.screen);
    surface->visual = visual;
    return surface;
}

bool CreateGLContext(GLSurface* surface)
{
    if (surface == nullptr)
        return false;
    // The classic entry point gives a compatibility context: the scene uses both
    // immediate mode and shaders.
    surface->context = glXCreateContext(surface->display, surface->visual, nullptr, True);
    return surface->context != nullptr;
}

void MakeGLContextCurrent(GLSurface* surface)
{
    if (surface == nullptr || surface->context == nullptr)
        return;
    glXMakeCurrent(surface->display, surface->window, surface->context);
    PrepareOverlayFont(surface);
}

bool HasSwapControl(GLSurface* surface)
{
    (void)surface;
    return GLXEW_EXT_swap_control || GLXEW_MESA_swap_control || GLXEW_SGI_swap_control;
}

void SetSwapInterval(GLSurface* surface, int interval)
{
    if (surface == nullptr)
        return;
    if (GLXEW_EXT_swap_control)
        glXSwapIntervalEXT(surface->display, surface->window, interval);
    else if (GLXEW_MESA_swap_control)
        glXSwapIntervalMESA(static_cast<unsigned>(interval));
    else if (GLXEW_SGI_swap_control && interval > 0)
        glXSwapIntervalSGI(interval);  // SGI's cannot turn waiting off
}

void SwapGLBuffers(GLSurface* surface)
{
    if (surface == nullptr || surface->context == nullptr || surface->released)
        return;
    if (x11::SaverWindowGone(surface->window)) {
        // Drawing on into a destroyed window makes the driver size its buffers from a
        // failed query; without a current context the rest of the run draws nothing.
        glXMakeCurrent(surface->display, None, nullptr);
        surface->released = true;
        return;
    }
    glXSwapBuffers(surface->display, surface->window);
}

void DeleteGLContext(GLSurface* surface)
{
    if (surface == nullptr || surface->context == nullptr)
        return;
    if (!surface->released)
        glXMakeCurrent(surface->display, None, nullptr);
    glXDestroyContext(surface->display, surface->context);
    surface->context = nullptr;
}

void CloseGLSurface(GLSurface* surface)
{
    if (surface == nullptr)
        return;
    if (surface->font != nullptr)
        XFreeFont(surface->display, surface->font);
    XFree(surface->visual);
    XSync(surface->display, False);
    XCloseDisplay(surface->display);
    delete surface;
}

void DrawableSize(GLSurface* surface, int* width, int* height)
{
    *width = 0;
    *height = 0;
    if (surface == nullptr || surface->released)
        return;
    x11::SaverWindowSize(width, height);
}

void DisplaySize(GLSurface* surface, int* width, int* height)
{
    *width = 0;
    *height = 0;
    if (surface == nullptr)
        return;
    *width = DisplayWidth(surface->display, surface->screen);
    *height = DisplayHeight(surface->display, surface->screen);
}

double DisplayRefreshRate(GLSurface* surface)
{
    if (surface == nullptr)
        return 0.0;
    Display* display = surface->display;
    int eventBase = 0;
    int errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase))
        return 0.0;
    // The window's centre on the root window picks the monitor.
    int centreX = 0;
    int centreY = 0;
    XWindowAttributes attributes;
    Window child = 0;
    if (XGetWindowAttributes(display, surface->window, &attributes) != 0)
        XTranslateCoordinates(display, surface->window, RootWindow(display, surface->screen), attributes.width / 2,
                              attributes.height / 2, &centreX, &centreY, &child);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, RootWindow(display, surface->screen));
    if (resources == nullptr)
        return 0.0;
    double first = 0.0;
    double shown = 0.0;
    for (int c = 0; c < resources->ncrtc && shown == 0.0; ++c) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[c]);
        if (crtc == nullptr)
            continue;
        for (int m = 0; m < resources->nmode && crtc->mode != None; ++m) {
            const XRRModeInfo& mode = resources->modes[m];
            if (mode.id != crtc->mode || mode.hTotal == 0 || mode.vTotal == 0)
                continue;
            double lines = mode.vTotal;
            if (mode.modeFlags & RR_DoubleScan)
                lines *= 2.0;
            if (mode.modeFlags & RR_Interlace)
                lines /= 2.0;
            const double rate = static_cast<double>(mode.dotClock) / (mode.hTotal * lines);
            if (first == 0.0)
                first = rate;
            if (centreX >= crtc->x && centreX < crtc->x + static_cast<int>(crtc->width) && centreY >= crtc->y &&
                centreY < crtc->y + static_cast<int>(crtc->height))
                shown = rate;
        }
        XRRFreeCrtcInfo(crtc);
    }
    XRRFreeScreenResources(resources);
    return shown > 0.0 ? shown : first;
}

void DrawOverlayText(GLSurface* surface, const char* text, int right, int bottom)
{
    if (surface == nullptr || surface->context == nullptr || surface->released || right <= 0 || bottom <= 0)
        return;
    int width = 0;
    int height = 0;
    x11::SaverWindowSize(&width, &height);
    if (width <= 0 || height <= 0) {
        GLint current[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, current);
        width = current[2];
        height = current[3];
    }
    const int length = static_cast<int>(std::strlen(text));
    const int ascent = surface->font != nullptr ? surface->font->ascent : 10;
    const int lineHeight = surface->font != nullptr ? ascent + surface->font->descent : 13;
    const int textWidth = surface->font != nullptr ? XTextWidth(surface->font, text, length) : 6 * length;

    const OverlayGLState overlayState(width, height);
    // The clip rectangle is (0, 0)-(right, bottom) from the window's top-left corner.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, height - bottom, right, bottom);

    glColor3f(0.0f, 0.0f, 0.0f);
    glRecti(0, height - lineHeight, textWidth, height);
    if (surface->fontLists != 0) {
        // Each glyph is placed by itself: blank glyphs do not move the raster position
        // on every implementation.
        glColor3f(1.0f, 1.0f, 1.0f);
        int x = 0;
        for (const char* c = text; *c != '\0'; ++c) {
            const unsigned code = static_cast<unsigned char>(*c);
            if (code >= static_cast<unsigned>(kFirstGlyph) && code < static_cast<unsigned>(kFirstGlyph + kGlyphCount)) {
                glWindowPos2i(x, height - ascent);
                glCallList(surface->fontLists + code);
            }
            x += XTextWidth(surface->font, c, 1);
        }
    }
}

}  // namespace platform

// The GL driver's window-system loader asks for the window's size with XGetGeometry and
// uses the sizes it passed in even when the request fails. A preview or daemon window
// can be destroyed by its owner at any moment, between two frames; the driver then
// sized its buffers from whatever the stack held (gigabytes to clear, seen as a render
// thread stuck in memset). This definition comes first in the program's symbol scope
// (exported at link time), so the driver's calls land here: a failed query reports an
// empty window, which the driver draws nothing into.
extern "C" Status XGetGeometry(Display* display, Drawable drawable, Window* root, int* x, int* y,
                               unsigned int* width, unsigned int* height, unsigned int* border,
                               unsigned int* depth)
{
    using Query = Status (*)(Display*, Drawable, Window*, int*, int*, unsigned int*, unsigned int*,
                             unsigned int*, unsigned int*);
    static const Query library = reinterpret_cast<Query>(dlsym(RTLD_NEXT, "XGetGeometry"));
    *root = 0;
    *x = 0;
    *y = 0;
    *width = 0;
    *height = 0;
    *border = 0;
    *depth = 0;
    if (library == nullptr)
        return 0;
    return library(display, drawable, root, x, y, width, height, border, depth);
}
