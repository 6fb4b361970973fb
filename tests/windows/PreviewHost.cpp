// Plays the Display control panel's part for the preview tests: opens a window of the
// given client size and starts the saver with "/p <window number>". When the file
// <stop file>.report appears it reports the saver's child window, tries to rename it and
// asks it for a context menu. Each time the file <stop file>.resize appears, holding
// "<width> <height>", it gives its window that client size, removes the file and reports
// the child again. When the stop file appears (at most two minutes) it destroys its
// window and reports the saver's exit code.
//   PreviewHost <saver.scr> <stop file> [width height]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

LRESULT CALLBACK HostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The saver hands the control panel the context menu asked for over the preview.
    if (message == WM_CONTEXTMENU) {
        std::printf("context menu at host wParam %llu lParam %lld\n",
                    static_cast<unsigned long long>(wParam), static_cast<long long>(lParam));
        std::fflush(stdout);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Pumps this thread's messages for the given time.
void PumpFor(DWORD ms)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The client size a resize file asks for; false while it is not fully written.
bool ReadSize(const std::string& path, int* width, int* height)
{
    std::ifstream file(path);
    return static_cast<bool>(file >> *width >> *height) && *width > 0 && *height > 0;
}

unsigned long long Number(HWND window) { return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)); }

void ReportChild(HWND child)
{
    wchar_t title[64] = L"";
    GetWindowTextW(child, title, 64);
    char narrowTitle[64] = "";
    WideCharToMultiByte(CP_UTF8, 0, title, -1, narrowTitle, sizeof narrowTitle, nullptr, nullptr);
    RECT area = {0, 0, 0, 0};
    GetClientRect(child, &area);
    std::printf("saver window %llu title %s size %ld %ld visible %d\n", Number(child), narrowTitle, area.right,
                area.bottom, IsWindowVisible(child) ? 1 : 0);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: PreviewHost <saver.scr> <stop file> [width height]\n");
        return 2;
    }
    const std::string stopFile = argv[2];
    const std::string reportFile = stopFile + ".report";
    const std::string resizeFile = stopFile + ".resize";
    const int width = argc > 4 ? std::atoi(argv[3]) : 320;
    const int height = argc > 4 ? std::atoi(argv[4]) : 240;

    WNDCLASSW windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = HostWindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = L"ZentharisPreviewHost";
    RegisterClassW(&windowClass);
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN;
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Preview host", style, 0, 0,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "no host window\n");
        return 2;
    }
    PumpFor(300);

    std::string command = "\"" + std::string(argv[1]) + "\" /p " + std::to_string(Number(window));
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "cannot start %s\n", command.c_str());
        return 2;
    }
    RECT client;
    GetClientRect(window, &client);
    std::printf("host window %llu size %ld %ld\n", Number(window), client.right, client.bottom);
    std::fflush(stdout);

    HWND child = nullptr;
    bool reported = false;
    for (int waited = 0; waited < 1200 && !FileExists(stopFile); ++waited) {
        PumpFor(100);
        if (!reported && FileExists(reportFile)) {
            reported = true;
            child = FindWindowExW(window, nullptr, L"WindowsScreenSaverClass", nullptr);
            if (child != nullptr) {
                ReportChild(child);
                SetWindowTextW(child, L"Renamed");
                wchar_t title[64] = L"";
                GetWindowTextW(child, title, 64);
                std::printf("title after renaming %s\n", title[0] == L'P' ? "Preview" : "changed");
                PostMessageW(child, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(child), MAKELPARAM(7, 9));
            } else {
                std::printf("no saver window\n");
            }
            std::fflush(stdout);
        }
        int newWidth = 0;
        int newHeight = 0;
        if (child != nullptr && ReadSize(resizeFile, &newWidth, &newHeight)) {
            DeleteFileA(resizeFile.c_str());
            RECT grown = {0, 0, newWidth, newHeight};
            AdjustWindowRect(&grown, style, FALSE);
            SetWindowPos(window, nullptr, 0, 0, grown.right - grown.left, grown.bottom - grown.top,
                         SWP_NOMOVE | SWP_NOZORDER);
            PumpFor(1500);  // the saver looks at its parent's size a few times a second
            ReportChild(child);
        }
    }
    DWORD early = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &early);
    if (early != STILL_ACTIVE) {
        std::printf("saver ended early with %lu\n", static_cast<unsigned long>(early));
        return 1;
    }
    DestroyWindow(window);
    std::printf("host window destroyed\n");
    std::fflush(stdout);
    // The saver should end on its own now.
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT && GetTickCount() - start < 20000)
        PumpFor(50);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    if (code == STILL_ACTIVE) {
        std::printf("saver still running after its window was destroyed\n");
        TerminateProcess(process.hProcess, 3);
        return 1;
    }
    std::printf("saver exit code %lu\n", static_cast<unsigned long>(code));
    return 0;
}
