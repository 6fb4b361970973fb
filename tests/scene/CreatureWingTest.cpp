// A wing's beat, sweep and sparks, driven without a GL context.
#include "scene/CreatureWing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "scene/WingSparks.h"

namespace {

// A seed whose first draws avoid exactly 1, so that steps equal the elapsed time.
void Seed() { std::srand(42); }

TEST(CreatureWing, ProfileRunsAlongThreeTenthsAndSwellsToThreeHundredthsInTheMiddle)
{
    const Vector2* upper = CreatureWing::UpperProfile();
    const Vector2* lower = CreatureWing::LowerProfile();
    EXPECT_EQ(upper[0].x, 0.0);
    EXPECT_EQ(upper[0].y, 0.0);
    EXPECT_NEAR(upper[6].x, 0.3, 1e-8);
    EXPECT_NEAR(upper[6].y, 0.0, 1e-8);
    EXPECT_NEAR(upper[3].y, 0.03, 1e-8);
    for (int m = 0; m < CreatureWing::kProfilePoints; ++m) {
        EXPECT_EQ(lower[m].x, upper[m].x);
        EXPECT_EQ(lower[m].y, -upper[m].y);
    }
}

TEST(CreatureWing, AttachingTakesUpFromForwardAndSideSoTheMirrorFacesTheOtherWay)
{
    CreatureWing wing, mirror;
    EXPECT_EQ(wing.Forward().z, 1.0);
    EXPECT_EQ(wing.Side().x, 1.0);
    EXPECT_EQ(wing.Up().y, 1.0);
    wing.Attach(Vector3(1, 2, 3), Vector3(0, 0, -1), Vector3(-1, 0, 0));
    mirror.Attach(Vector3(1, 2, 3), Vector3(0, 0, -1), Vector3(1, 0, 0));
    EXPECT_EQ(wing.Anchor().y, 2.0);
    EXPECT_EQ(wing.Up().y, 1.0);
    EXPECT_EQ(mirror.Up().y, -1.0);
}

TEST(CreatureWing, AFrameOfNoTimeSweepsTheLeastAngleAtItsStrongestAlpha)
{
    Seed();
    CreatureWing wing;
    wing.Attach(Vector3(0, 0, 0), Vector3(0, 0, -1), Vector3(-1, 0, 0));
    wing.Update(0);
    EXPECT_EQ(wing.Phase(), 0);
    EXPECT_EQ(wing.PreviousPhase(), 0);
    const CreatureWing::Sweep& sweep = wing.BuildSweep();
    EXPECT_DOUBLE_EQ(sweep.hi, 0.7);
    EXPECT_NEAR(sweep.hi - sweep.lo, 0.001, 1e-15);
    EXPECT_DOUBLE_EQ(sweep.alpha, 1.2 / 2.001);
}

TEST(CreatureWing, SweepLiesBetweenTheBeatAnglesOfThePreviousAndThisFrame)
{
    Seed();
    CreatureWing wing;
    const Vector3 anchor(0.5, 1.0, -2.0);
    wing.Attach(anchor, Vector3(0, 0, -1), Vector3(-1, 0, 0));
    for (int frame = 0; frame < 50; ++frame) {
        wing.Update(16);
        const CreatureWing::Sweep& sweep = wing.BuildSweep();
        const double a = CreatureWing::BeatAngle(wing.Phase());
        const double b = CreatureWing::BeatAngle(wing.PreviousPhase());
        EXPECT_DOUBLE_EQ(sweep.hi, std::max(a, b));
        EXPECT_LE(sweep.lo, std::min(a, b));
        EXPECT_NEAR(sweep.alpha, 1.2 / (sweep.hi - sweep.lo + 2.0), 1e-15);
        ASSERT_EQ(sweep.streakPoints, CreatureWing::kStreakPoints);
        for (const auto& streak : sweep.streaks) {
            for (const Vector3& p : streak)
                EXPECT_LE((p - anchor).Length(), 0.3 + 1e-9);
        }
        for (const auto& strip : sweep.strips) {
            for (const Vector3& p : strip)
                EXPECT_LE((p - anchor).Length(), 0.31);
        }
    }
    EXPECT_EQ(wing.Phase(), 50 * 16);
}

TEST(CreatureWing, PhaseWrapsWithoutOverflowAndTheBeatGoesOnUnbroken)
{
    Seed();
    CreatureWing wing;
    // About 23.8 days in.
    wing.SetPhase(CreatureWing::kPhaseWrap - 10);
    const double before = CreatureWing::BeatAngle(wing.Phase());
    wing.Update(16);
    EXPECT_EQ(wing.PreviousPhase(), CreatureWing::kPhaseWrap - 10);
    EXPECT_EQ(wing.Phase(), 6);
    // The wrapped phase shows the same beat the unwrapped count would.
    EXPECT_NEAR(CreatureWing::BeatAngle(wing.Phase()), 0.7 * std::cos(0.9 * (CreatureWing::kPhaseWrap + 6.0)), 1e-5);
    EXPECT_NE(CreatureWing::BeatAngle(wing.Phase()), before);

    // Even an absurd frame keeps the count in range.
    wing.SetPhase(CreatureWing::kPhaseWrap - 1);
    wing.Update(std::numeric_limits<std::int32_t>::max());
    EXPECT_GE(wing.Phase(), 0);
    EXPECT_LT(wing.Phase(), CreatureWing::kPhaseWrap);

    // Weeks of 16 ms frames never leave the range.
    wing.SetPhase(0);
    const int weekFrames = 7 * 24 * 3600 * 1000 / 16;
    std::int64_t unwrapped = 0;
    for (int frame = 0; frame < 4 * weekFrames; frame += 1000) {
        wing.Update(16000);
        unwrapped += 16000;
    }
    EXPECT_GE(unwrapped, static_cast<std::int64_t>(CreatureWing::kPhaseWrap));
    // A draw of exactly 1 adds 1 ms now and then.
    EXPECT_NEAR(wing.Phase(), static_cast<double>(unwrapped % CreatureWing::kPhaseWrap), 50.0);
}

TEST(WingSparks, OneSparkPer120MsAtMostOnePerFrameCatchingUpAfterALongFrame)
{
    Seed();
    WingSparks sparks;
    sparks.AddStep(119);
    sparks.Emit(Vector3());
    EXPECT_TRUE(sparks.Sparks().empty());
    sparks.AddStep(1);
    sparks.Emit(Vector3());
    EXPECT_EQ(sparks.Sparks().size(), 1u);
    EXPECT_EQ(sparks.EmitClock(), 120.0);

    // A frame of 1000 ms: one spark per following frame until the emission clock has
    // caught up (emissions at 120, 240, ... 960 fit below clock 1120).
    sparks.AddStep(1000);
    int frames = 0;
    for (int frame = 0; frame < 20; ++frame) {
        const std::size_t count = sparks.Sparks().size();
        sparks.Emit(Vector3());
        if (sparks.Sparks().size() == count + 1)
            ++frames;
        sparks.AddStep(0);
    }
    EXPECT_EQ(frames, 8);
    EXPECT_EQ(sparks.EmitClock(), 1080.0);
    for (const WingSpark& spark : sparks.Sparks()) {
        EXPECT_GE(spark.brightness, 0.3);
        EXPECT_LE(spark.brightness, 1.0);
        EXPECT_GE(spark.twinkleRate, 0.01);
        EXPECT_LE(spark.twinkleRate, 0.03);
        EXPECT_LE(std::fabs(spark.velocity.x), 0.00075);
        EXPECT_LE(std::fabs(spark.velocity.y), 0.00075);
        EXPECT_LE(std::fabs(spark.velocity.z), 0.00075);
    }
}

TEST(WingSparks, SparksFallSlowFadeAndRetireBelowOneHundredth)
{
    Seed();
    WingSparks sparks;
    sparks.AddStep(120);
    sparks.Emit(Vector3(0, 0, 0));
    ASSERT_EQ(sparks.Sparks().size(), 1u);
    const WingSpark first = sparks.Sparks()[0];
    sparks.AddStep(16);
    sparks.Advance();
    const WingSpark& moved = sparks.Sparks()[0];
    const Vector3 velocity = first.velocity + (Vector3(0, -1e-07, 0) - first.velocity * 0.001) * 16.0;
    EXPECT_DOUBLE_EQ(moved.velocity.y, velocity.y);
    EXPECT_DOUBLE_EQ(moved.position.x, velocity.x * 16.0);
    EXPECT_DOUBLE_EQ(moved.brightness, first.brightness * 0.992);

    // Fading is per frame: count the frames until it is dropped.
    int frames = 1;
    while (!sparks.Sparks().empty() && frames < 2000) {
        sparks.AddStep(16);
        sparks.Advance();
        ++frames;
    }
    const int expected = static_cast<int>(std::ceil(std::log(0.01 / first.brightness) / std::log(0.992))) + 1;
    EXPECT_EQ(frames, expected);
    EXPECT_GE(frames, 150);
    EXPECT_LE(frames, 575);
}

TEST(WingSparks, AtOneSparkPerFrameTheListStaysWithinItsStorage)
{
    Seed();
    WingSparks sparks;
    const std::size_t capacity = sparks.Sparks().capacity();
    EXPECT_GE(capacity, WingSparks::kCapacity);
    std::size_t largest = 0;
    for (int frame = 0; frame < 3000; ++frame) {
        sparks.AddStep(200);  // slow frames: one spark each
        sparks.Emit(Vector3());
        sparks.Advance();
        largest = std::max(largest, sparks.Sparks().size());
    }
    EXPECT_LE(largest, 576u);
    EXPECT_GT(largest, 400u);
    EXPECT_EQ(sparks.Sparks().capacity(), capacity) << "no allocation after construction";
}

TEST(WingSparks, GlowIsThreeQuartersAtTheCentreAndNothingAtTheRim)
{
    EXPECT_DOUBLE_EQ(WingSparks::GlowValue(16, 16), 0.75);
    EXPECT_EQ(WingSparks::GlowValue(0, 16), 0.0);
    EXPECT_EQ(WingSparks::GlowValue(0, 0), 0.0);
    EXPECT_GT(WingSparks::GlowValue(16, 17), WingSparks::GlowValue(16, 24));
    EXPECT_NEAR(WingSparks::GlowValue(16, 31), 1.0 / (1.9375 * 1.9375) - 0.25, 1e-15);
    float pixels[WingSparks::kGlowSize * WingSparks::kGlowSize];
    WingSparks::FillGlowPixels(pixels);
    EXPECT_EQ(pixels[16 * 32 + 16], 0.75f);

    WingSpark spark;
    spark.brightness = 0.5;
    spark.twinkleRate = 0.02;
    WingSparks sparks;
    sparks.AddStep(100);
    const Vector3 colour = sparks.Colour(spark);
    const double twinkle = 0.85 + 0.15 * std::sin(0.02 * 100.0);
    EXPECT_DOUBLE_EQ(colour.x, 1.5 * 0.5 * twinkle);
    EXPECT_DOUBLE_EQ(colour.y, 0.3 * 0.5 * twinkle);
    EXPECT_EQ(colour.z, 0.0);
}

}  // namespace
