#include "app/FpsMeter.h"

#include <gtest/gtest.h>

#include <string>

TEST(FpsMeterTest, FirstFrameShowsDashesAndCountsAsZeroInTheMean)
{
    FpsMeter meter;
    EXPECT_EQ(meter.AverageFps(), -1.0);
    EXPECT_EQ(std::string(meter.Measure(5000)), "---");
    EXPECT_EQ(meter.AverageFps(), -1.0);
    // 20 ms alone would be 50 fps; with the first 0 ms the mean is 10 ms.
    EXPECT_EQ(std::string(meter.Measure(5020)), "FPS : 100");
    EXPECT_DOUBLE_EQ(meter.AverageFps(), 100.0);
}

TEST(FpsMeterTest, ZeroFrameTimesKeepTheDashes)
{
    FpsMeter meter;
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(std::string(meter.Measure(42)), "---");
    EXPECT_EQ(meter.AverageFps(), -1.0);
}

TEST(FpsMeterTest, MeanForAThousandFramesThenAThousandthPerFrame)
{
    FpsMeter meter;
    std::uint32_t tick = 0;
    meter.Measure(tick);
    for (int i = 1; i < 1000; ++i)
        meter.Measure(tick += 10);
    // 999 frames of 10 ms and the first of 0 ms.
    EXPECT_NEAR(meter.AverageFps(), 1000.0 / 9.99, 1e-9);
    meter.Measure(tick += 1009);
    EXPECT_NEAR(1000.0 / meter.AverageFps(), 9.99 + (1009 - 9.99) / 1000.0, 1e-9);
}

TEST(FpsMeterTest, FrameTimeIsRightAcrossTheTickCounterWrap)
{
    FpsMeter meter;
    meter.Measure(0xFFFFFFF0u);
    meter.Measure(0x00000010u);  // 32 ms later, after the wrap
    EXPECT_NEAR(1000.0 / meter.AverageFps(), 16.0, 1e-12);
}
