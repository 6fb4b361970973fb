// Placeholder until the Windows dialogs arrive: no dialog opens.
#include "platform/Dialogs.h"

namespace platform {

int RunSettingsDialogWindow(WindowHandle, SettingsDialogHandler&) { return -1; }

}  // namespace platform
