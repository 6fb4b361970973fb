#include "sound/SceneSoundVolume.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "render/VectorMath.h"

namespace {

// A scripted random source: hands out the queued draws, then zeros.
double gDraws[8];
int gDrawCount = 0;
int gDrawNext = 0;

void Script(std::initializer_list<double> draws)
{
    gDrawCount = 0;
    gDrawNext = 0;
    for (double draw : draws)
        gDraws[gDrawCount++] = draw;
}

double Scripted()
{
    return gDrawNext < gDrawCount ? gDraws[gDrawNext++] : 0.0;
}

}  // namespace

TEST(SceneSoundVolume, RestsAtMinus4000AndSendsTheVolumeFromBeforeEachStep)
{
    Script({});
    SceneSoundVolume level(Scripted);
    EXPECT_EQ(level.Step(), -4000);  // the first volume the buffer gets
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(level.Step(), -4000);
    EXPECT_EQ(level.Volume(), -4000);
    EXPECT_EQ(level.Target(), 0);

    // Sinking stops at the resting level rather than passing it.
    SceneSoundVolume sinking(Scripted, -3998, 0);
    EXPECT_EQ(sinking.Step(), -3998);
    EXPECT_EQ(sinking.Volume(), -4000);
}

TEST(SceneSoundVolume, SwellOvershootsItsTargetByUpTo20ThenSinksBy5)
{
    Script({});
    SceneSoundVolume level(Scripted, -2420, -2401);
    EXPECT_EQ(level.Step(), -2420);
    EXPECT_EQ(level.Volume(), -2400);
    EXPECT_EQ(level.Target(), 0);
    EXPECT_EQ(level.Step(), -2400);
    EXPECT_EQ(level.Volume(), -2405);
}

TEST(SceneSoundVolume, DrawAbove099PicksATargetAndTheSwellClimbsTo20PerStep)
{
    // u = 0.995 starts a swell to -4000 + 1600 * 0.5 = -3200.
    Script({0.995, 0.5});
    SceneSoundVolume level(Scripted);
    level.Step();
    EXPECT_EQ(level.Target(), -3200);
    int steps = 0;
    while (level.Target() != 0 && steps < 1000) {
        level.Step();
        ++steps;
    }
    // -4000 to -3200 is 40 steps; the swell ends on the step that lands above it.
    EXPECT_EQ(steps, 41);
    EXPECT_EQ(level.Volume(), -3180);
    steps = 0;
    while (level.Volume() > -4000 && steps < 1000) {
        level.Step();
        ++steps;
    }
    EXPECT_EQ(steps, 164);  // 820 at 5 a step

    // A draw of exactly 0.99 does not start one.
    Script({0.99});
    SceneSoundVolume unmoved(Scripted);
    unmoved.Step();
    EXPECT_EQ(unmoved.Target(), 0);
}

TEST(SceneSoundVolume, TargetIsCutTowardsZeroAndANewLowerTargetEndsTheSwell)
{
    Script({1.0, 0.9996875});  // -2400.5 is cut to -2400
    SceneSoundVolume high(Scripted);
    high.Step();
    EXPECT_EQ(high.Target(), -2400);

    Script({1.0, 1.0});
    SceneSoundVolume top(Scripted);
    top.Step();
    EXPECT_EQ(top.Target(), -2400);

    // Swelling at -3000 towards -2500 when a new target of -3600 arrives: the next
    // step lands above it, ends the swell, and the volume sinks again.
    Script({0.999, 0.25});
    SceneSoundVolume replaced(Scripted, -3000, -2500);
    replaced.Step();
    EXPECT_EQ(replaced.Volume(), -2980);
    EXPECT_EQ(replaced.Target(), -3600);
    replaced.Step();
    EXPECT_EQ(replaced.Volume(), -2960);
    EXPECT_EQ(replaced.Target(), 0);
    replaced.Step();
    EXPECT_EQ(replaced.Volume(), -2965);
}

TEST(SceneSoundVolume, OverALongRunTheVolumeStaysBetweenRestAndTheHighestSwell)
{
    std::srand(7);
    SceneSoundVolume level(RandomUnit);
    int swells = 0;
    int previousTarget = 0;
    int highest = -4000;
    for (int i = 0; i < 100000; ++i) {
        const int sent = level.Step();
        ASSERT_GE(sent, -4000);
        ASSERT_LE(sent, -2380);
        highest = sent > highest ? sent : highest;
        if (level.Target() != 0 && level.Target() != previousTarget)
            ++swells;
        previousTarget = level.Target();
    }
    // About one new target per hundred steps.
    EXPECT_GT(swells, 800);
    EXPECT_LT(swells, 1200);
    EXPECT_GT(highest, -2700);
}
