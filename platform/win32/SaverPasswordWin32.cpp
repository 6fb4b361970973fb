// The Windows 9x password path: PASSWORD.CPL verifies, MPR.DLL changes the password.
// On NT-based systems the system locks the session itself and nothing here loads.
#include <windows.h>

#include "platform/SaverPassword.h"
#include "platform/win32/ProcAddress.h"
#include "platform/win32/SaverPasswordWin32.h"

namespace platform {

namespace {

typedef BOOL(WINAPI* VerifyFunction)(HWND);
typedef DWORD(WINAPI* ChangePasswordFunction)(LPCWSTR, HWND, DWORD, LPVOID);

HMODULE passwordModule = nullptr;
VerifyFunction verifyFunction = nullptr;

}  // namespace

namespace win32 {

void SetSaverRunning(bool running)
{
    BOOL previous = FALSE;
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, &previous, 0);
}

}  // namespace win32

bool SaverChecksPassword()
{
    OSVERSIONINFOW version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

bool LoadPasswordVerifier()
{
    UnloadPasswordVerifier();
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD usePassword = 0;
    DWORD size = sizeof usePassword;
    if (RegQueryValueExW(key, L"ScreenSaveUsePassword", nullptr, nullptr, reinterpret_cast<BYTE*>(&usePassword),
                         &size) == ERROR_SUCCESS &&
        usePassword != 0) {
        passwordModule = LoadLibraryW(L"PASSWORD.CPL");
        verifyFunction = win32::ProcAddressAs<VerifyFunction>(passwordModule, "VerifyScreenSavePwd");
        if (verifyFunction != nullptr) {
            win32::SetSaverRunning(true);
        } else if (passwordModule != nullptr) {
            FreeLibrary(passwordModule);
            passwordModule = nullptr;
        }
    }
    RegCloseKey(key);
    return verifyFunction != nullptr;
}

void UnloadPasswordVerifier()
{
    if (passwordModule != nullptr) {
        FreeLibrary(passwordModule);
        passwordModule = nullptr;
    }
    if (verifyFunction != nullptr) {
        verifyFunction = nullptr;
        win32::SetSaverRunning(false);
    }
}

int VerifySaverPassword(WindowHandle window)
{
    if (verifyFunction == nullptr)
        return 1;
    return verifyFunction(reinterpret_cast<HWND>(window)) ? 1 : 0;
}

void ChangeSaverPassword(WindowHandle window)
{
    HMODULE module = LoadLibraryW(L"MPR.DLL");
    if (module == nullptr)
        return;
    const ChangePasswordFunction change = win32::ProcAddressAs<ChangePasswordFunction>(module, "PwdChangePasswordW");
    if (change != nullptr)
        change(L"SCRSAVE", reinterpret_cast<HWND>(window), 0, nullptr);
    FreeLibrary(module);
}

}  // namespace platform
