#include "platform/ZeroedPages.h"

#include <cstdint>

#include <sys/mman.h>

namespace platform {

namespace {

// Huge pages only fill whole, aligned 2 MB stretches of a mapping.
constexpr std::size_t kHugePage = 2u * 1024 * 1024;

std::size_t Rounded(std::size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

void* AllocateZeroedPages(std::size_t bytes)
{
    if (bytes == 0)
        return nullptr;
    const std::size_t length = Rounded(bytes);
    // One huge page more, so that an aligned start can be cut out of it.
    void* mapped = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start)
        munmap(mapped, aligned - start);
    if (const std::size_t tail = start + kHugePage - aligned)
        munmap(reinterpret_cast<void*>(aligned + length), tail);
    madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);  // a hint: ignored where unsupported
    return reinterpret_cast<void*>(aligned);
}

void FreeZeroedPages(void* pages, std::size_t bytes)
{
    if (pages != nullptr)
        munmap(pages, Rounded(bytes));
}

}  // namespace platform
