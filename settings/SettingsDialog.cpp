#include "settings/SettingsDialog.h"

#include <cstdio>

#include "app/ProcessObjects.h"
#include "settings/ImageLibraryDialog.h"

SettingsDialog::SettingsDialog(OptionsStore& store, StoredOptionsParameter_long& enableFps,
                               StoredOptionsParameter_long& enableVSync, StoredOptionsParameter_paths& pictures)
    : store_(store), enableFps_(enableFps), enableVSync_(enableVSync), pictures_(pictures)
{
}

void SettingsDialog::OnInit(platform::SettingsDialogView& view)
{
    view_ = &view;
    view_->SetWindowIcon(platform::kSettingsDialogIcon);
}

void SettingsDialog::OnShow() { RefreshSettingsControls(); }

void SettingsDialog::OnClose() { view_->EndDialog(kResult); }

void SettingsDialog::OnCommand(int controlId)
{
    switch (controlId) {
    case platform::kConfirmSettingsButton:
        store_.Save();  // a failed save leaves the changes for this run only
        view_->SendClose();
        break;
    case platform::kResetToDefaultButton:
        store_.ResetAll();
        RefreshSettingsControls();
        break;
    case platform::kShowFpsCheckBox:
        enableFps_.SetValue(view_->IsCheckBoxChecked(platform::kShowFpsCheckBox) ? 1 : 0);
        break;
    case platform::kEnableVSyncCheckBox:
        enableVSync_.SetValue(view_->IsCheckBoxChecked(platform::kEnableVSyncCheckBox) ? 1 : 0);
        break;
    case platform::kEditImageLibraryButton: {
        ImageLibraryDialog library(pictures_, ImageLibraryDialog::ProcessPreview());
        view_->RunImageLibraryDialog(library);
        break;
    }
    default:
        break;
    }
}

void SettingsDialog::RefreshSettingsControls()
{
    view_->SetCheckBox(platform::kShowFpsCheckBox, enableFps_.Value() != 0);
    view_->SetCheckBox(platform::kEnableVSyncCheckBox, enableVSync_.Value() != 0);
}

int RunSettingsDialog(platform::WindowHandle parent)
{
    SettingsDialog dialog(TheOptionsStore, EnableFPS, EnableVSync, SlideshowPictures);
    const int result = platform::RunSettingsDialogWindow(parent, dialog);
    if (result == -1) {
        TheEventLog.Write(1, "Settings dialog cannot be opened");
        std::fprintf(stderr,
                     "Zentharis screensaver: the settings dialog cannot be opened (no display; is DISPLAY set?)\n");
    }
    return result;
}
