#pragma once

#include <cstdint>

// The most memory this process has held so far, in bytes: resident pages on Linux, the
// peak working set on Windows. One implementation per platform (bench/posix/, bench/win32/).
std::int64_t PeakMemoryBytes();
