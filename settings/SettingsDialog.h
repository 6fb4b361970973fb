#pragma once

#include "platform/Dialogs.h"
#include "settings/OptionsStore.h"
#include "settings/StoredOptionsParameter_long.h"
#include "settings/StoredOptionsParameter_paths.h"

// What the settings dialog's controls do: the check boxes change the options in memory,
// "Reset to default" resets every option in memory, "Edit Image Library" edits the
// picture collection in memory, and only "Confirm settings" saves them all.
class SettingsDialog : public platform::SettingsDialogHandler {
public:
    SettingsDialog(OptionsStore& store, StoredOptionsParameter_long& enableFps, StoredOptionsParameter_long& enableVSync,
                   StoredOptionsParameter_paths& pictures);

    void OnInit(platform::SettingsDialogView& view) override;
    void OnShow() override;
    void OnClose() override;
    void OnCommand(int controlId) override;

    // Sets the two check boxes from the options.
    void RefreshSettingsControls();

    // The dialog always ends with this result.
    static constexpr int kResult = 1;

private:
    OptionsStore& store_;
    StoredOptionsParameter_long& enableFps_;
    StoredOptionsParameter_long& enableVSync_;
    StoredOptionsParameter_paths& pictures_;
    platform::SettingsDialogView* view_ = nullptr;
};

// The settings mode: the dialog over parent (0: none) on the process's options. Returns
// the dialog's result, or -1 after a message on standard error when it cannot open.
int RunSettingsDialog(platform::WindowHandle parent);
