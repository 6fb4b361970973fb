#pragma once

#include <cstddef>

namespace platform {

// Large, short-lived work memory that must start zeroed (a progressive JPEG's coefficients):
// fresh pages from the system, which come zeroed without being written, in huge pages
// where the system allows, so that hundreds of megabytes cost few page faults.
// Null when the system refuses.
void* AllocateZeroedPages(std::size_t bytes);
void FreeZeroedPages(void* pages, std::size_t bytes);

}  // namespace platform
