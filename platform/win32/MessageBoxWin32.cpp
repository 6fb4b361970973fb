#include <windows.h>

#include "platform/MessageBox.h"

namespace platform {

bool ShowMessageBox(const char* title, const char* text)
{
    // No owner, topmost, an OK button and no icon.
    return MessageBoxA(nullptr, text, title, MB_TOPMOST) != 0;
}

}  // namespace platform
