#include "sound/WingsSoundTrigger.h"

#include <gtest/gtest.h>

TEST(WingsSoundTrigger, NoStartWhileFallingOrRisingBy0015OrLessHoweverLongTheClockRuns)
{
    WingsSoundTrigger trigger;
    double height = 0.0;
    for (int i = 0; i < 200; ++i) {
        height -= 0.05;
        ASSERT_FALSE(trigger.Step(height, 100));
    }
    for (int i = 0; i < 200; ++i) {
        height += 0.0149;
        ASSERT_FALSE(trigger.Step(height, 100));
    }
    EXPECT_GT(trigger.Clock(), 3000u);
    // The same point climbing a little more than 0.015 does start it.
    EXPECT_TRUE(trigger.Step(height + 0.0151, 100));

    // A climb of exactly 0.015 (from 0, where the difference is exact) does not.
    WingsSoundTrigger level;
    EXPECT_FALSE(level.Step(0.0, 4000));
    EXPECT_FALSE(level.Step(0.015, 16));
    EXPECT_TRUE(level.Step(0.0301, 16));
}

TEST(WingsSoundTrigger, ClockOfExactly3000DoesNotStartAndAStartRestartsTheClock)
{
    WingsSoundTrigger trigger;
    // The first update compares with a last height of 0: a climb, but the clock is 0.
    EXPECT_FALSE(trigger.Step(2.0, 1000));
    EXPECT_FALSE(trigger.Step(2.0, 1000));
    EXPECT_FALSE(trigger.Step(2.0, 1000));
    EXPECT_EQ(trigger.Clock(), 3000u);
    EXPECT_FALSE(trigger.Step(2.5, 1));
    EXPECT_EQ(trigger.Clock(), 3001u);
    EXPECT_TRUE(trigger.Step(3.0, 16));
    EXPECT_EQ(trigger.Clock(), 16u);  // restarted, then this frame counted
    EXPECT_DOUBLE_EQ(trigger.LastHeight(), 3.0);

    // Climbing every frame at 16 ms: the next start comes once more than 3000 ms have
    // been counted again.
    int frames = 0;
    double height = 3.0;
    while (frames < 1000) {
        height += 0.02;
        ++frames;
        if (trigger.Step(height, 16))
            break;
    }
    EXPECT_EQ(frames, 188);  // 16 + 187 * 16 = 3008 > 3000; 16 + 186 * 16 = 2992
}
