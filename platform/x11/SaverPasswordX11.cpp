// The session locker asks for passwords here, never the saver.
#include "platform/SaverPassword.h"

namespace platform {

bool SaverChecksPassword() { return false; }

bool LoadPasswordVerifier() { return false; }

void UnloadPasswordVerifier() {}

int VerifySaverPassword(WindowHandle) { return 1; }

void ChangeSaverPassword(WindowHandle) {}

}  // namespace platform
