#include "app/FramePacer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>

namespace {

struct PacedRun {
    double seconds = 0.0;  // from the first swap to the last
    int paused = 0;        // frames followed by a sleep
};

// frames frames, each taking workMs(frame) of drawing and swapping, then the pacer's
// sleep; the tick count starts at startTick.
PacedRun Simulate(FramePacer& pacer, int frames, const std::function<std::uint32_t(int)>& workMs,
             std::uint32_t startTick = 1000)
{
    std::uint32_t tick = startTick;
    std::uint64_t elapsed = 0;
    PacedRun run;
    for (int frame = 0; frame < frames; ++frame) {
        const std::uint32_t work = workMs(frame);
        tick += work;
        if (frame > 0)
            elapsed += work;
        const std::uint32_t pause = pacer.PauseAfterSwap(tick);
        tick += pause;
        if (frame + 1 < frames)
            elapsed += pause;
        run.paused += pause > 0;
    }
    run.seconds = static_cast<double>(elapsed) / 1000.0;
    return run;
}

}  // namespace

TEST(FramePacerTest, IgnoredIntervalIsHeldToTheDisplayRate)
{
    // Swaps that come back at once: 5 ms a frame would be 200 frames a second.
    FramePacer pacer(true, 60.0);
    const PacedRun run = Simulate(pacer, 601, [](int) { return 5u; });
    EXPECT_TRUE(pacer.Pacing());
    EXPECT_NEAR(run.seconds, 10.0, 0.05) << "600 frames at 60 Hz";
    EXPECT_GE(run.paused, 590);

    // A 144 Hz display: frames of 3 ms are held to 6.94 ms.
    FramePacer fast(true, 144.0);
    EXPECT_NEAR(Simulate(fast, 1441, [](int) { return 3u; }).seconds, 10.0, 0.05);
}

TEST(FramePacerTest, HonouredIntervalAndSlowFramesAreLeftAlone)
{
    // The swap already waits for the display: 16 or 17 ms a frame.
    FramePacer honoured(true, 60.0);
    const PacedRun waiting = Simulate(honoured, 600, [](int frame) { return frame % 3 == 0 ? 16u : 17u; });
    EXPECT_FALSE(honoured.Pacing());
    EXPECT_EQ(waiting.paused, 0);

    // Frames slower than the display are never delayed further.
    FramePacer slow(true, 60.0);
    EXPECT_EQ(Simulate(slow, 300, [](int) { return 25u; }).paused, 0);

    // Frames within a tenth of the period run free: a swap that waits for the display
    // comes back a little early now and then.
    FramePacer nearly(true, 60.0);
    EXPECT_EQ(Simulate(nearly, 300, [](int frame) { return frame % 2 == 0 ? 15u : 16u; }).paused, 0);

    // With vertical sync off the loop always runs free.
    FramePacer off(false, 60.0);
    EXPECT_EQ(Simulate(off, 300, [](int) { return 2u; }).paused, 0);
}

TEST(FramePacerTest, FramesALittleFasterThanTheDisplayAreHeldToIt)
{
    // 14 ms a frame where the display shows 60 a second (known or assumed): the interval
    // is ignored, and 71 frames a second would be drawn for 60 shown.
    for (double rate : {60.0, 0.0}) {
        FramePacer pacer(true, rate);
        const PacedRun run = Simulate(pacer, 601, [](int) { return 14u; });
        EXPECT_TRUE(pacer.Pacing()) << rate;
        EXPECT_NEAR(run.seconds, 10.0, 0.05) << rate;
    }
}

TEST(FramePacerTest, PacingFollowsTheWorkAndTheClockWrap)
{
    // Fast frames, then slow ones (a heavier scene): pacing stops once the average says so.
    FramePacer pacer(true, 60.0);
    Simulate(pacer, 200, [](int) { return 4u; });
    EXPECT_TRUE(pacer.Pacing());
    Simulate(pacer, 200, [](int) { return 30u; });
    EXPECT_FALSE(pacer.Pacing());

    // The 32-bit tick count wraps during the run.
    FramePacer wrapping(true, 60.0);
    const PacedRun run = Simulate(wrapping, 601, [](int) { return 5u; }, 0xFFFFFFFFu - 3000u);
    EXPECT_NEAR(run.seconds, 10.0, 0.05);
}

TEST(FramePacerTest, UnknownRateMeansSixtyHertz)
{
    for (double rate : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
        EXPECT_NEAR(FramePacer(true, rate).PeriodMs(), 1000.0 / 60.0, 1e-9) << rate;
    EXPECT_NEAR(FramePacer(true, 75.0).PeriodMs(), 1000.0 / 75.0, 1e-9);
}
