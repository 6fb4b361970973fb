#include "platform/win32/DialogsWin32.h"

namespace platform {
namespace win32 {

namespace {

INT_PTR CALLBACK MessageDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
            EndDialog(dialog, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

HINSTANCE ProgramModule() { return GetModuleHandleA(nullptr); }

INT_PTR ShowMessageDialog(int templateId, HWND parent)
{
    return DialogBoxParamA(ProgramModule(), MAKEINTRESOURCEA(templateId), parent, MessageDialogProcedure, 0);
}

}  // namespace win32
}  // namespace platform
