#include "sound/WingsSoundTrigger.h"

bool WingsSoundTrigger::Step(double height, std::int32_t elapsedMs)
{
    bool start = false;
    if (height - lastHeight_ > 0.015 && clock_ > 3000) {
        clock_ = 0;
        start = true;
    }
    lastHeight_ = height;
    // The count is unsigned 32-bit; a negative elapsed value wraps as it would there.
    clock_ += static_cast<std::uint32_t>(elapsedMs);
    return start;
}
