#include "platform/FileSystem.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "platform/win32/FileSystemWin32.h"
#include "platform/win32/WidePathWin32.h"

namespace platform {

const char kPathSeparator = '\\';

namespace win32 {

std::wstring WidePath(const std::string& path)
{
    if (path.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), &wide[0], length);
    // Leave room for "\*" and an 8.3 name: below that the plain form works everywhere.
    if (wide.size() < MAX_PATH - 14 || wide.compare(0, 4, L"\\\\?\\") == 0)
        return wide;
    // The prefixed form takes no relative parts, so the path is made whole first.
    const DWORD fullLength = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (fullLength == 0)
        return std::wstring();
    std::wstring full(fullLength, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), fullLength, &full[0], nullptr);
    if (written == 0 || written >= fullLength)
        return std::wstring();
    full.resize(written);
    if (full.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool NarrowName(const wchar_t* name, std::string* out, unsigned codePage)
{
    // No flags: UTF-8 (the ANSI code page where Windows is set to use it) refuses
    // WC_NO_BEST_FIT_CHARS and the question whether a default character was used. Instead
    // the name must come back unchanged from its narrow form, which neither a best-fit
    // look-alike nor a default character does.
    const int length = WideCharToMultiByte(codePage, 0, name, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return false;
    out->assign(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(codePage, 0, name, -1, &(*out)[0], length, nullptr, nullptr) != length)
        return false;
    const int wideLength = MultiByteToWideChar(codePage, 0, out->c_str(), -1, nullptr, 0);
    if (wideLength <= 0)
        return false;
    std::wstring back(static_cast<std::size_t>(wideLength), L'\0');
    if (MultiByteToWideChar(codePage, 0, out->c_str(), -1, &back[0], wideLength) != wideLength ||
        std::wcscmp(back.c_str(), name) != 0)
        return false;
    out->resize(static_cast<std::size_t>(length) - 1);
    return true;
}

FileIdentity IdentityOf(const FolderFacts& facts)
{
    FileIdentity identity;
    identity.device = facts.volume;
    const bool remote = facts.finalPath.compare(0, 8, L"\\\\?\\UNC\\") == 0;
    if (facts.index != 0 && !facts.indexTruncated && !remote) {
        identity.node = facts.index;
        return identity;
    }
    identity.path.assign(reinterpret_cast<const char*>(facts.finalPath.data()),
                         facts.finalPath.size() * sizeof(wchar_t));
    return identity;
}

}  // namespace win32

namespace {

// The path the system resolves an open file to (links followed, names as stored);
// empty when it gives none.
std::wstring FinalPath(HANDLE file)
{
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = GetFinalPathNameByHandleW(file, &path[0], static_cast<DWORD>(path.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            break;
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.assign(length, L'\0');  // the size asked for, with its terminating zero
    }
    return std::wstring();
}

}  // namespace

bool ListFolder(const std::string& path, std::vector<FolderItem>* items)
{
    items->clear();
    std::wstring pattern = win32::WidePath(path);
    if (pattern.empty())
        return false;
    // A path may end in its separator (a drive's root always does), and the prefixed
    // form takes no doubled one.
    if (pattern.back() != L'\\')
        pattern.push_back(L'\\');
    pattern.push_back(L'*');
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        const wchar_t* name = found.cFileName;
        if ((name[0] == L'.' && name[1] == 0) || (name[0] == L'.' && name[1] == L'.' && name[2] == 0))
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)
            continue;
        FolderItem item;
        // A name the ANSI code page cannot spell could not be opened by its ANSI path.
        if (!win32::NarrowName(name, &item.name, CP_ACP))
            continue;
        item.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        items->push_back(std::move(item));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

bool IdentifyFile(const std::string& path, FileIdentity* identity)
{
    const std::wstring wide = win32::WidePath(path);
    if (wide.empty())
        return false;
    // Backup semantics opens folders too; a link leads to its target.
    const HANDLE file = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    win32::FolderFacts facts;
    BY_HANDLE_FILE_INFORMATION information;
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    if (known) {
        facts.volume = information.dwVolumeSerialNumber;
        facts.index = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
        // ReFS has 128-bit ids and 64-bit serial numbers: the short forms above hold a part.
        FILE_ID_INFO longId;
        if (GetFileInformationByHandleEx(file, FileIdInfo, &longId, sizeof(longId))) {
            std::uint64_t low = 0;
            std::uint64_t high = 0;
            std::memcpy(&low, longId.FileId.Identifier, sizeof(low));
            std::memcpy(&high, longId.FileId.Identifier + sizeof(low), sizeof(high));
            facts.volume = longId.VolumeSerialNumber;
            facts.index = low;
            facts.indexTruncated = high != 0;
        }
        facts.finalPath = FinalPath(file);
    }
    CloseHandle(file);
    if (!known)
        return false;
    // Some redirectors give no final path: the path asked for still tells most folders apart.
    if (facts.finalPath.empty())
        facts.finalPath = wide;
    *identity = win32::IdentityOf(facts);
    return true;
}

}  // namespace platform
