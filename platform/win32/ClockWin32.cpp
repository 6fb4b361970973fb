#include <windows.h>

#include <ctime>

#include "platform/Clock.h"

namespace platform {

std::uint32_t TickCount() { return static_cast<std::uint32_t>(GetTickCount()); }

std::int64_t CalendarSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

void SleepMilliseconds(std::uint32_t ms) { Sleep(ms); }

}  // namespace platform
