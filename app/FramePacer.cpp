#include "app/FramePacer.h"

#include <algorithm>
#include <cmath>

namespace {

// Frames that take less than this share of a period, on average, show that the swap
// did not wait for the display. With the display's own rate an honoured interval holds
// frames to its period; with the rate only assumed, a faster display (72, 75 Hz) that
// honours it must not be taken for one that ignores it.
const double kIgnoredShareOfKnownRate = 0.9;
const double kIgnoredShareOfAssumedRate = 0.75;
// Weight of the newest frame in the running average of the frames' work.
const double kAverageWeight = 0.1;

}  // namespace

FramePacer::FramePacer(bool enabled, double refreshHz)
    : enabled_(enabled),
      periodMs_(1000.0 / (refreshHz > 0.0 && std::isfinite(refreshHz) ? refreshHz : kDefaultRefreshHz)),
      ignoredShare_(refreshHz > 0.0 && std::isfinite(refreshHz) ? kIgnoredShareOfKnownRate : kIgnoredShareOfAssumedRate)
{
}

std::uint32_t FramePacer::PauseAfterSwap(std::uint32_t nowMs)
{
    if (!enabled_)
        return 0;
    if (!started_) {
        // The first frame carries the whole initialisation: it measures nothing.
        started_ = true;
        lastTick_ = nowMs;
        return 0;
    }
    clockMs_ += static_cast<std::uint32_t>(nowMs - lastTick_);  // unsigned: right across the wrap
    lastTick_ = nowMs;
    const double work = clockMs_ - frameStartMs_;
    averageWorkMs_ = averageWorkMs_ == 0.0 ? work : averageWorkMs_ + kAverageWeight * (work - averageWorkMs_);
    pacing_ = averageWorkMs_ < ignoredShare_ * periodMs_;
    if (!pacing_ || work >= periodMs_) {
        frameStartMs_ = clockMs_;
        return 0;
    }
    // The next frame is due one period after this one began. The sleep is in whole
    // milliseconds; measuring from the due time keeps the period on average.
    frameStartMs_ += periodMs_;
    return static_cast<std::uint32_t>(std::max(0.0, std::floor(frameStartMs_ - clockMs_)));
}
