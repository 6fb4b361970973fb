// Window, OpenGL binding and message box services until their X11 implementations land.
#include "platform/GLBinding.h"
#include "platform/MessageBox.h"
#include "platform/SaverWindow.h"

namespace platform {

bool WindowExists(WindowHandle) { return false; }
WindowHandle ForegroundWindow() { return 0; }
int RunSaverWindow(WindowHandle, WindowProcedure) { return 0; }
void PostCloseMessage(WindowHandle) {}
void DestroySaverWindow(WindowHandle) {}
void SendUserMessage(WindowHandle) {}
bool CursorPosition(int*, int*) { return false; }
void HideCursor(WindowHandle) {}

GLSurface* OpenGLSurface(WindowHandle) { return nullptr; }
bool CreateGLContext(GLSurface*) { return false; }
void MakeGLContextCurrent(GLSurface*) {}
bool HasSwapControl(GLSurface*) { return false; }
void SetSwapInterval(GLSurface*, int) {}
void SwapGLBuffers(GLSurface*) {}
void DeleteGLContext(GLSurface*) {}
void CloseGLSurface(GLSurface*) {}
void DisplaySize(GLSurface*, int* width, int* height) { *width = *height = 0; }
void DrawOverlayText(GLSurface*, const char*, int, int) {}

bool ShowMessageBox(const char*, const char*) { return false; }

}  // namespace platform
