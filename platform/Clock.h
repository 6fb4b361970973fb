#pragma once

#include <cstdint>

namespace platform {

// Milliseconds from a monotonic clock, kept in 32 bits: it wraps after about 49.7 days,
// and callers take unsigned differences.
std::uint32_t TickCount();

// Calendar time in whole seconds since the epoch.
std::int64_t CalendarSeconds();

void SleepMilliseconds(std::uint32_t ms);

}  // namespace platform
