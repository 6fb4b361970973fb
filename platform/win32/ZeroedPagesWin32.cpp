#include "platform/ZeroedPages.h"

#include <windows.h>

namespace platform {

// Committed pages come zeroed. Large pages need a privilege that users do not hold.
void* AllocateZeroedPages(std::size_t bytes)
{
    return bytes == 0 ? nullptr : VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void FreeZeroedPages(void* pages, std::size_t)
{
    if (pages != nullptr)
        VirtualFree(pages, 0, MEM_RELEASE);
}

}  // namespace platform
