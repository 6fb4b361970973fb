#pragma once

namespace platform {

// A modal message box with an OK button and no owner, kept above other windows.
// Returns false when no box could be shown (no display).
bool ShowMessageBox(const char* title, const char* text);

}  // namespace platform
