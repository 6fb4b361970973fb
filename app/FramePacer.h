#pragma once

#include <cstdint>

// "Enable VSync control" promises no more frames than the display shows. Where the driver
// ignores the swap interval (a virtual X server, many virtual machines, remote displays)
// the swaps come back at once and the loop would draw as fast as it can; the pacer then
// sleeps out the rest of each refresh period. A driver that honours the interval already
// holds every frame to about one period, so the pacer stays idle there.
class FramePacer {
public:
    // Used when the display's rate cannot be told.
    static constexpr double kDefaultRefreshHz = 60.0;

    // enabled: whether vertical sync was asked for. refreshHz <= 0 means unknown.
    FramePacer(bool enabled, double refreshHz);

    // Called right after each swap with the tick count in milliseconds; returns how many
    // milliseconds to sleep before the next frame begins.
    std::uint32_t PauseAfterSwap(std::uint32_t nowMs);

    double PeriodMs() const { return periodMs_; }
    // Whether the frames seen so far come much faster than the display refreshes.
    bool Pacing() const { return pacing_; }

private:
    bool enabled_;
    double periodMs_;
    bool started_ = false;
    std::uint32_t lastTick_ = 0;
    double clockMs_ = 0.0;       // milliseconds since the first swap, unwrapped
    double frameStartMs_ = 0.0;  // when the current frame began (or was due to)
    double averageWorkMs_ = 0.0;
    bool pacing_ = false;
};
