#pragma once

#include <cstdint>

// When the wing sound starts: the tracked point climbs more than 0.015 world units in
// one frame, and more than 3,000 ms have been counted since the last start (or since
// construction). Plain logic, so tests drive it without a sound device.
class WingsSoundTrigger {
public:
    // One frame: height is the y of this frame's position. True when the sound is to
    // start now.
    bool Step(double height, std::int32_t elapsedMs);

    std::uint32_t Clock() const { return clock_; }
    double LastHeight() const { return lastHeight_; }

private:
    std::uint32_t clock_ = 0;  // ms since the last start, counted before this frame's step
    double lastHeight_ = 0.0;
};
