#pragma once

#include "platform/SaverWindow.h"

// Binding OpenGL to the saver window (GLX here, WGL on Windows). Every call but
// OpenGLSurface's creation is made on the render thread, which owns the context.
namespace platform {

struct GLSurface;

// The window's drawable, ready for a context. Null when the window cannot be used.
GLSurface* OpenGLSurface(WindowHandle window);

// A double-buffered RGBA context with 24 colour bits and a depth buffer.
// False when none can be created.
bool CreateGLContext(GLSurface* surface);
void MakeGLContextCurrent(GLSurface* surface);

// After glewInit: whether a swap-interval extension is present.
bool HasSwapControl(GLSurface* surface);
void SetSwapInterval(GLSurface* surface, int interval);
void SwapGLBuffers(GLSurface* surface);

// Deletes the context (still current) and then releases the surface. Both accept null.
void DeleteGLContext(GLSurface* surface);
void CloseGLSurface(GLSurface* surface);

// Refresh rate in Hz of the display showing the window; 0 when it cannot be told.
double DisplayRefreshRate(GLSurface* surface);

// The window's size in pixels as the window thread last saw it (no round trip to the
// window system, so it may be called every frame); 0 x 0 while unknown or empty.
void DrawableSize(GLSurface* surface, int* width, int* height);

// Size of the whole display in pixels.
void DisplaySize(GLSurface* surface, int* width, int* height);

// Draws text white on black from the top-left corner of the window, clipped to the
// rectangle (0, 0)-(right, bottom), into the back buffer; restores the GL state it
// touches.
void DrawOverlayText(GLSurface* surface, const char* text, int right, int bottom);

}  // namespace platform
