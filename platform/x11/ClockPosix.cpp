#include "platform/Clock.h"

#include <time.h>

namespace platform {

std::uint32_t TickCount()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                             static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

std::int64_t CalendarSeconds() { return static_cast<std::int64_t>(time(nullptr)); }

void SleepMilliseconds(std::uint32_t ms)
{
    timespec pause{static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1000000L};
    while (nanosleep(&pause, &pause) != 0) {
    }
}

}  // namespace platform
