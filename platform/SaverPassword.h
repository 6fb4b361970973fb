#pragma once

#include "platform/SaverWindow.h"

// The saver's own password protection, which only Windows 9x leaves to the saver: a
// verifier from the system's password module, and the system's password-change
// dialog. Every other system locks the session itself, and there all of this is inert.
namespace platform {

// True on a system where the saver checks the password itself.
bool SaverChecksPassword();

// Loads the system's verifier when the user's settings ask for a password and tells
// the system that a saver runs; true when a verifier is loaded.
bool LoadPasswordVerifier();
// Lets the verifier go and tells the system that the saver no longer runs.
void UnloadPasswordVerifier();

// The loaded verifier's answer for the window: non-zero when the password was given.
int VerifySaverPassword(WindowHandle window);

// The system's password-change dialog over the window.
void ChangeSaverPassword(WindowHandle window);

}  // namespace platform
