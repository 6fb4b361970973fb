// Loaded into a running saver by the fault injector: a library whose detach handler
// waits for its worker thread to finish, as libraries that stop their workers on detach
// do. An exit stops every other thread before it runs detach handlers, so that exit
// would wait for ever; an exit that runs none ends.
#include <windows.h>

namespace {

HANDLE workerFinished = nullptr;

DWORD WINAPI Work(LPVOID)
{
    for (;;)
        Sleep(1000);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE library, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(library);
        workerFinished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE worker = CreateThread(nullptr, 0, Work, nullptr, 0, nullptr);
        if (workerFinished == nullptr || worker == nullptr)
            return FALSE;
        CloseHandle(worker);
    } else if (reason == DLL_PROCESS_DETACH) {
        WaitForSingleObject(workerFinished, INFINITE);
    }
    return TRUE;
}
