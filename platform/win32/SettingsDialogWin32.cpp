// The settings dialog from its template; what its controls do is the handler's business.
#include "platform/win32/DialogsWin32.h"

namespace platform {

namespace {

class SettingsDialogWin32 : public SettingsDialogView {
public:
    explicit SettingsDialogWin32(SettingsDialogHandler& handler) : handler_(handler) {}

    SettingsDialogHandler& Handler() { return handler_; }
    void Attach(HWND dialog) { dialog_ = dialog; }

    void SetWindowIcon(int iconId) override
    {
        HICON icon = LoadIconA(win32::ProgramModule(), MAKEINTRESOURCEA(iconId));
        if (icon == nullptr)
            return;
        SendMessageA(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        SendMessageA(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }

    void SetCheckBox(int controlId, bool checked) override
    {
        CheckDlgButton(dialog_, controlId, checked ? BST_CHECKED : BST_UNCHECKED);
    }

    bool IsCheckBoxChecked(int controlId) const override
    {
        return IsDlgButtonChecked(dialog_, controlId) == BST_CHECKED;
    }

    void SendClose() override { SendMessageA(dialog_, WM_CLOSE, 0, 0); }

    void EndDialog(int result) override { ::EndDialog(dialog_, result); }

    int RunImageLibraryDialog(ImageLibraryDialogHandler& handler) override
    {
        return win32::RunImageLibraryDialog(dialog_, handler);
    }

private:
    SettingsDialogHandler& handler_;
    HWND dialog_ = nullptr;
};

SettingsDialogWin32* ViewOf(HWND dialog)
{
    return reinterpret_cast<SettingsDialogWin32*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

}  // namespace

// The settings dialog's procedure, named as the screen-saver interface names it.
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* view = reinterpret_cast<SettingsDialogWin32*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        view->Attach(dialog);
        view->Handler().OnInit(*view);
        return FALSE;
    }
    SettingsDialogWin32* view = ViewOf(dialog);
    if (view == nullptr)
        return FALSE;
    switch (message) {
    case WM_SHOWWINDOW:
        view->Handler().OnShow();
        return FALSE;
    case WM_CLOSE:
        view->Handler().OnClose();
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != 0)
            return FALSE;
        switch (LOWORD(wParam)) {
        case kConfirmSettingsButton:
        case kResetToDefaultButton:
        case kShowFpsCheckBox:
        case kEnableVSyncCheckBox:
        case kEditImageLibraryButton:
            view->Handler().OnCommand(LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

int RunSettingsDialogWindow(WindowHandle parent, SettingsDialogHandler& handler)
{
    SettingsDialogWin32 view(handler);
    const INT_PTR result =
        DialogBoxParamA(win32::ProgramModule(), MAKEINTRESOURCEA(win32::kSettingsDialogTemplate),
                        reinterpret_cast<HWND>(parent), ScreenSaverConfigureDialog, reinterpret_cast<LPARAM>(&view));
    return static_cast<int>(result);
}

}  // namespace platform
