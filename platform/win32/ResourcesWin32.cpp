// Resources of the executable, compiled in from the generated resource script.
#include <windows.h>

#include <cstring>

#include "platform/Resources.h"

namespace platform {

bool FindResourceBytes(const char* type, int id, ResourceBytes* out)
{
    // The script's standard types are the system's numbered ones; the rest go by name.
    LPCSTR resourceType = type;
    if (std::strcmp(type, "Bitmap") == 0)
        resourceType = MAKEINTRESOURCEA(2);  // RT_BITMAP
    else if (std::strcmp(type, "Icon") == 0)
        resourceType = MAKEINTRESOURCEA(14);  // RT_GROUP_ICON
    else if (std::strcmp(type, "String") == 0)
        return false;  // in the string table, read with LoadString
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), resourceType);
    if (found == nullptr)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr)
        return false;
    out->data = static_cast<const unsigned char*>(LockResource(loaded));
    out->size = SizeofResource(module, found);
    return out->data != nullptr;
}

}  // namespace platform
