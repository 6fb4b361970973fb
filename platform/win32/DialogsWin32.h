#pragma once

#include <windows.h>

#include "platform/Dialogs.h"

// What the Win32 dialog views share inside platform/win32.
namespace platform {
namespace win32 {

// Dialog templates of the executable.
constexpr int kSettingsDialogTemplate = 2003;
constexpr int kImageLibraryDialogTemplate = 134;
constexpr int kTooLongMessageTemplate = 146;

// The executable's own module, which holds the dialog templates, bitmaps and icons.
HINSTANCE ProgramModule();

// Runs a message template of the executable modally over parent with a procedure that
// ends it on "OK", Enter, Escape or the close box: 0, or -1 when it cannot open.
INT_PTR ShowMessageDialog(int templateId, HWND parent);

// Runs the Image Library dialog modally over owner; the value passed to EndDialog, or -1.
int RunImageLibraryDialog(HWND owner, ImageLibraryDialogHandler& handler);

}  // namespace win32
}  // namespace platform
