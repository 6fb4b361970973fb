// The program's entry point on Windows: the screen-saver command line from
// GetCommandLineW, and the host's result as the process's exit code (-1 stays -1).
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/ScreenSaverHost.h"
#include "platform/win32/ExceptionGuardWin32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const wchar_t* text = GetCommandLineW();
    // The program's name: quoted up to and past the closing quote, else up to the first
    // character at or below the space.
    if (*text == L'"') {
        ++text;
        while (*text != L'\0' && *text != L'"')
            ++text;
        if (*text == L'"')
            ++text;
    } else {
        while (*text > L' ')
            ++text;
    }
    while (*text >= 0x01 && *text <= 0x20)
        ++text;

    // The show command is read as the system hands it over; no mode uses it.
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);

    // Switches and window numbers are ASCII; any other character only has to stay
    // something that is neither.
    std::string commandText;
    for (; *text != L'\0'; ++text)
        commandText += *text < 0x80 ? static_cast<char>(*text) : '\x7F';

    // The common controls the host's dialogs may use.
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_TAB_CLASSES;
    InitCommonControlsEx(&controls);

    platform::win32::InstallExceptionGuard();
    const int code = ScreenSaverMain(commandText.c_str());
    // Static objects are not destroyed: the render thread may still hold some of them.
    ExitProcess(static_cast<UINT>(code));
}
