#include "platform/SettingsStore.h"

#include <windows.h>

#include <map>

// One registry key per product, one REG_SZ value per setting, through the 8-bit API.
// Settings are written under HKEY_CURRENT_USER, which a normal user may change; they are
// read from there first and from HKEY_LOCAL_MACHINE for any value the user's key lacks,
// so settings an older installation stored for the whole machine still load.
namespace platform {

namespace {

// Bounds on what another program may have left in the key.
constexpr DWORD kLongestValueName = 16383;
constexpr DWORD kLargestValue = 1 << 20;

// The value's bytes as text: up to its first zero, as a reader of zero-terminated
// text would take them, whatever the value's type.
std::string AsText(const std::string& bytes)
{
    return bytes.substr(0, bytes.find('\0'));
}

std::wstring Wide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

// The registry's own order of value names: by their UTF-16 form with case folded as
// the system folds it, which is also how it finds a value by name.
int CompareNames(const std::string& a, const std::string& b)
{
    const std::wstring wideA = Wide(a);
    const std::wstring wideB = Wide(b);
    const int order = CompareStringOrdinal(wideA.data(), static_cast<int>(wideA.size()), wideB.data(),
                                           static_cast<int>(wideB.size()), TRUE);
    return order == 0 ? a.compare(b) : order - CSTR_EQUAL;
}

struct NameOrder {
    bool operator()(const std::string& a, const std::string& b) const { return CompareNames(a, b) < 0; }
};

using Values = std::map<std::string, std::string, NameOrder>;

// Every value of the key into values (later readers overwrite earlier ones, whatever
// the case of their names); false when the key cannot be opened.
bool ReadKey(HKEY root, const std::string& keyPath, Values* values)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    std::string name(kLongestValueName + 1, '\0');
    std::string data;
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = kLongestValueName + 1;
        DWORD dataBytes = 0;
        LONG status = RegEnumValueA(key, index, &name[0], &nameLength, nullptr, nullptr, nullptr, &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || dataBytes > kLargestValue)
            continue;  // unreadable or too large to be one of ours: as if missing
        const std::string valueName(name.data(), nameLength);
        data.assign(dataBytes, '\0');
        status = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(data.empty() ? nullptr : &data[0]), &dataBytes);
        if (status != ERROR_SUCCESS || dataBytes > data.size())
            continue;  // changed between the two calls
        data.resize(dataBytes);
        (*values)[valueName] = AsText(data);
    }
    RegCloseKey(key);
    return true;
}

}  // namespace

std::string StoredTextsLocation(const std::string& keyPath) { return "HKEY_CURRENT_USER\\" + keyPath; }

bool SameValueName(const std::string& a, const std::string& b) { return a == b || CompareNames(a, b) == 0; }

int ReadStoredTexts(const std::string& keyPath, StoredTexts* out)
{
    Values values;
    const bool machineKey = ReadKey(HKEY_LOCAL_MACHINE, keyPath, &values);
    const bool userKey = ReadKey(HKEY_CURRENT_USER, keyPath, &values);
    if (!machineKey && !userKey)
        return -1;
    out->assign(values.begin(), values.end());
    return 0;
}

int WriteStoredTexts(const std::string& keyPath, const StoredTexts& texts)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return -1;
    int result = 0;
    for (const auto& [name, value] : texts) {
        const DWORD bytes = static_cast<DWORD>(value.size() + 1);  // with the terminating zero
        if (RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) !=
            ERROR_SUCCESS)
            result = -1;
    }
    RegCloseKey(key);
    return result;
}

}  // namespace platform
