// Plays the Display control panel's part for the preview tests: opens a window, starts
// the saver given on the command line with "/p <window number>", lets it draw until the
// stop file appears (at most two minutes), then destroys the window and prints the
// saver's exit code.
//   PreviewHost <saver.scr> <stop file> [width height]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

LRESULT CALLBACK HostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
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

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: PreviewHost <saver.scr> <stop file> [width height]\n");
        return 2;
    }
    const char* stopFile = argv[2];
    const int width = argc > 4 ? std::atoi(argv[3]) : 320;
    const int height = argc > 4 ? std::atoi(argv[4]) : 240;

    WNDCLASSW windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = HostWindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = L"ZentharisPreviewHost";
    RegisterClassW(&windowClass);
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                                  0, 0, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "no host window\n");
        return 2;
    }
    PumpFor(300);

    std::string command = "\"" + std::string(argv[1]) + "\" /p " +
                          std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
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
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    std::printf("host window %llu client %ld %ld %ld %ld\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)), origin.x, origin.y,
                client.right, client.bottom);
    std::fflush(stdout);

    for (int waited = 0; waited < 1200 && GetFileAttributesA(stopFile) == INVALID_FILE_ATTRIBUTES; ++waited)
        PumpFor(100);
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
