#include "app/FramePacer.h"

#include <algorithm>
#include <cmath>

namespace {

// Frames that take less than this share of a period, on average, show that the swap
// did not wait for the display: an honoured interval holds them to the period. (Where
// the rate is not known the server is nearly always a virtual one, which ignores the
// interval; 60 Hz is assumed there.)
const double kIgnoredShare = 0.9;
// Weight of the newest frame in the running average of the frames' work.
const double kAverageWeight = 0.1;

}  // namespace

FramePacer::FramePacer(bool enabled, double refreshHz)
    : enabled_(enabled), periodMs_(1000.0 / (refreshHz > 0.0 && std::isfinite(refreshHz) ? refreshHz : kDefaultRefreshHz))
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
    pacing_ = averageWorkMs_ < kIgnoredShare * periodMs_;
    if (!pacing_ || work >= periodMs_) {
        frameStartMs_ = clockMs_;
        return 0;
    }
    // The next frame is due one period after this one began. The sleep is in whole
    // milliseconds; measuring from the due time keeps the period on average.
    frameStartMs_ += periodMs_;
    return static_cast<std::uint32_t>(std::max(0.0, std::floor(frameStartMs_ - clockMs_)));
}
