// Makes a running full-screen saver fault, for the check of its exception guard, without
// anything in the saver for the purpose: starts a thread in the saver's process at an
// address that holds no code. The saver's guard is process-wide, so such a thread's
// fault meets it as a fault of the saver's own threads would. Before the fault the
// system is told that a saver runs (as Windows 9x is told while a password protects
// one), and LockedAtExit.dll, from this program's folder, is loaded into the saver: its
// detach handler waits for a worker thread that an exit stops, so an exit that runs the
// libraries' detach handlers never ends. This program then reports how the saver's
// process ended.
//   FaultInjector             the fault
//   FaultInjector --running   whether the system counts a saver as running; a process of
//                             its own, as Wine's processes keep the value they last saw
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::wstring LibraryBesideThisProgram(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

// The loading thread's exit code holds only the low half of the module's address.
bool HasModule(DWORD processId, const std::wstring& name)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    MODULEENTRY32W module;
    module.dwSize = sizeof module;
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &module); more && !found; more = Module32NextW(snapshot, &module))
        found = lstrcmpiW(module.szModule, name.c_str()) == 0;
    CloseHandle(snapshot);
    return found;
}

// A thread of the process runs LoadLibraryW: kernel32 lies at the same address in
// every process of a session.
bool LoadIntoProcess(HANDLE process, const std::wstring& library)
{
    const SIZE_T bytes = (library.size() + 1) * sizeof(wchar_t);
    void* remotePath = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remotePath == nullptr || !WriteProcessMemory(process, remotePath, library.c_str(), bytes, nullptr))
        return false;
    const auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, loadLibrary, remotePath, 0, nullptr);
    if (thread == nullptr)
        return false;
    const bool ended = WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ended && HasModule(GetProcessId(process), library.substr(library.find_last_of(L"\\/") + 1));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--running") == 0) {
        BOOL running = TRUE;
        SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
        std::printf("saver running %d\n", running ? 1 : 0);
        return 0;
    }
    HWND saver = nullptr;
    for (int tries = 0; tries < 200 && saver == nullptr; ++tries) {
        saver = FindWindowW(L"WindowsScreenSaverClass", L"Screen Saver");
        if (saver == nullptr)
            Sleep(100);
    }
    if (saver == nullptr) {
        std::printf("no saver window\n");
        return 2;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(saver, &processId);
    HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                     PROCESS_VM_READ | PROCESS_VM_WRITE | SYNCHRONIZE,
                                 FALSE, processId);
    if (process == nullptr) {
        std::printf("cannot open the saver's process %lu\n", static_cast<unsigned long>(processId));
        return 2;
    }
    if (!LoadIntoProcess(process, LibraryBesideThisProgram(L"LockedAtExit.dll"))) {
        std::printf("cannot load LockedAtExit.dll into the saver: error %lu\n", GetLastError());
        return 2;
    }

    BOOL previous = FALSE;
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, TRUE, &previous, 0);

    // Nothing is ever mapped in the first 64 KB of a Windows process.
    const auto nowhere = reinterpret_cast<LPTHREAD_START_ROUTINE>(static_cast<UINT_PTR>(0x10));
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, nowhere, nullptr, 0, nullptr);
    if (thread == nullptr) {
        std::printf("cannot start a thread in the saver: error %lu\n", GetLastError());
        return 2;
    }
    std::printf("fault started in process %lu\n", static_cast<unsigned long>(processId));
    std::fflush(stdout);
    CloseHandle(thread);

    if (WaitForSingleObject(process, 60000) != WAIT_OBJECT_0) {
        std::printf("saver still running a minute after the fault\n");
        return 1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    std::printf("saver exit code %ld\n", static_cast<long>(code));
    return 0;
}
