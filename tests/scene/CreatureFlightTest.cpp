// The creature's flight driven frame by frame on a plain ribbon, with a seeded random
// source.
#include "scene/CreatureFlight.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "render/Ribbon.h"

namespace {

class CreatureFlightTest : public ::testing::Test {
protected:
    void SetUp() override { std::srand(1234); }

    // Puts the straight body with its head at position, heading along direction.
    static void PlaceHead(Ribbon& ribbon, const Vector3& position, const Vector3& direction)
    {
        ribbon.Initialize(position, Vector3(0.0, 1.0, 0.0), direction);
    }

    Ribbon ribbon_{20};
};

TEST_F(CreatureFlightTest, StartsStraightAboveTheCentreHeadingAwayWithATargetOfThreeDraws)
{
    std::srand(99);
    const double a = 2.0 - 16.0 * RandomUnit();
    const double x = (RandomUnit() - 0.5) * a * 0.5;
    const double y = (RandomUnit() - 0.5) * a * 0.1875;
    const int next = std::rand();

    std::srand(99);
    CreatureFlight flight(&ribbon_);
    EXPECT_EQ(flight.State(), CreatureFlight::FlyToTarget);
    EXPECT_EQ(flight.StateTime(), 0.0);
    EXPECT_EQ(flight.Target().x, x);
    EXPECT_EQ(flight.Target().y, y);
    EXPECT_EQ(flight.Target().z, a);
    EXPECT_EQ(std::rand(), next) << "construction draws exactly three numbers";
    EXPECT_GE(a, -14.0);
    EXPECT_LE(a, 2.0);
    for (int i = 0; i < 20; ++i) {
        const RibbonNode& node = ribbon_.Node(i);
        EXPECT_NEAR(node.position.x, 0.0, 1e-15);
        EXPECT_NEAR(node.position.y, 2.0, 1e-15);
        EXPECT_NEAR(node.position.z, i / 20.0, 1e-15) << "nodes 1/20 apart behind the head";
        EXPECT_EQ(node.tangent.z, -1.0);
        EXPECT_EQ(node.up.y, 1.0);
    }
}

TEST_F(CreatureFlightTest, TheTransitionTableIsWalkedFromColumnZero)
{
    // A draw of exactly 0 takes column 0 even where its probability is 0.
    for (int from = 0; from <= 5; ++from)
        EXPECT_EQ(CreatureFlight::NextState(from, 0.0), 0) << from;
    EXPECT_EQ(CreatureFlight::NextState(0, 0.9), 0);
    EXPECT_EQ(CreatureFlight::NextState(0, 0.9001), 1);
    EXPECT_EQ(CreatureFlight::NextState(1, 1e-5), 3);
    EXPECT_EQ(CreatureFlight::NextState(2, 0.15), 0);
    EXPECT_EQ(CreatureFlight::NextState(2, 0.16), 3);
    EXPECT_EQ(CreatureFlight::NextState(2, 0.95), 4);
    EXPECT_EQ(CreatureFlight::NextState(3, 0.5), 2);
    EXPECT_EQ(CreatureFlight::NextState(4, 0.5), 0);
    // A draw of 1 ends on the row's last possible state, whatever the rounding.
    EXPECT_EQ(CreatureFlight::NextState(0, 1.0), 1);
    EXPECT_EQ(CreatureFlight::NextState(2, 1.0), 4);
    EXPECT_EQ(CreatureFlight::NextState(3, 1.0), 2);
}

TEST_F(CreatureFlightTest, FlyingEndsNearTheTargetOrAfterThreeSeconds)
{
    CreatureFlight flight(&ribbon_);
    // Far away from any target, the state runs for 3000 ms and is left in the frame after.
    PlaceHead(ribbon_, Vector3(0.0, 500.0, 0.0), Vector3(0.0, 0.0, -1.0));
    for (int ms = 0; ms < 3000; ++ms)
        flight.Update(1);
    EXPECT_EQ(flight.State(), CreatureFlight::FlyToTarget);
    EXPECT_EQ(flight.StateTime(), 3000.0);
    flight.Update(1);
    EXPECT_EQ(flight.StateTime(), 0.0);

    // Within 0.4 of the target it leaves at once.
    flight.EnterState(CreatureFlight::FlyToTarget);
    const Vector3 target = flight.Target();
    PlaceHead(ribbon_, target + Vector3(0.0, 0.39, 0.0), Vector3(0.0, 0.0, -1.0));
    flight.Update(1);
    EXPECT_EQ(flight.StateTime(), 0.0);
    PlaceHead(ribbon_, target + Vector3(0.0, 0.5, 0.0), Vector3(0.0, 0.0, -1.0));
    flight.EnterState(CreatureFlight::FlyToTarget);
    flight.Update(0);
    EXPECT_EQ(flight.State(), CreatureFlight::FlyToTarget);
}

TEST_F(CreatureFlightTest, FlyingTurnsTowardsTheTargetAtTwoUnitsPerSecond)
{
    CreatureFlight flight(&ribbon_);
    PlaceHead(ribbon_, Vector3(0.0, 500.0, 0.0), Vector3(0.0, 0.0, -1.0));
    flight.EnterState(CreatureFlight::FlyToTarget);
    const Vector3 target = flight.Target();
    double distance = (ribbon_.Node(0).position - target).Length();
    for (int frame = 0; frame < 120; ++frame) {
        const Vector3 before = ribbon_.Node(0).position;
        flight.Update(16);
        EXPECT_NEAR((ribbon_.Node(0).position - before).Length(), 0.032, 1e-9);
        for (int i = 1; i < 20; ++i)
            ASSERT_NEAR((ribbon_.Node(i).position - ribbon_.Node(i - 1).position).Length(), 0.05, 1e-9);
    }
    EXPECT_LT((ribbon_.Node(0).position - target).Length(), distance - 3.0);
    // The roll is pulled towards world up.
    EXPECT_GT(ribbon_.Node(0).up.y, 0.0);
}

TEST_F(CreatureFlightTest, LevellingOutOnlyNearTheAxisAndBehindTheOrigin)
{
    CreatureFlight flight(&ribbon_);
    const Vector3 climbing = Vector3(0.0, 0.6, -0.8);

    PlaceHead(ribbon_, Vector3(1.2, 0.0, -1.0), climbing);
    Vector3 before = flight.Target();
    flight.EnterState(CreatureFlight::LevelOut);
    EXPECT_EQ(flight.State(), CreatureFlight::FlyToTarget);
    EXPECT_NE(flight.Target().z, before.z) << "a new target is drawn";

    PlaceHead(ribbon_, Vector3(0.0, 0.0, 0.5), climbing);
    flight.EnterState(CreatureFlight::LevelOut);
    EXPECT_EQ(flight.State(), CreatureFlight::FlyToTarget);

    PlaceHead(ribbon_, Vector3(0.6, 0.6, -1.0), climbing);
    flight.EnterState(CreatureFlight::LevelOut);
    ASSERT_EQ(flight.State(), CreatureFlight::LevelOut);
    EXPECT_EQ(flight.Climb().y, 0.6);
    EXPECT_EQ(flight.Level().z, -0.8);
    EXPECT_EQ(flight.Level().y, 0.0);
}

TEST_F(CreatureFlightTest, LevellingSlowsToAStopAndEndsAfterThreeSeconds)
{
    CreatureFlight flight(&ribbon_);
    PlaceHead(ribbon_, Vector3(0.0, 0.0, -2.0), Vector3(0.0, 0.6, -0.8));
    flight.EnterState(CreatureFlight::LevelOut);
    ASSERT_EQ(flight.State(), CreatureFlight::LevelOut);
    double lastStep = 1.0;
    for (int ms = 10; ms <= 3000; ms += 10) {
        const Vector3 before = ribbon_.Node(0).position;
        flight.Update(10);
        ASSERT_EQ(flight.State(), CreatureFlight::LevelOut) << ms;
        const double step = (ribbon_.Node(0).position - before).Length();
        if (ms <= 1500)
            EXPECT_NEAR(step, 0.02, 1e-9);
        else
            EXPECT_LT(step, lastStep);
        lastStep = step;
    }
    // By then the heading has lost its climb.
    EXPECT_NEAR(ribbon_.Node(0).tangent.y, 0.0, 0.05);
    flight.Update(1);
    EXPECT_NE(flight.State(), CreatureFlight::LevelOut);
    EXPECT_EQ(flight.StateTime(), 0.0);
}

TEST_F(CreatureFlightTest, DartingJumpsSidewaysForHalfASecond)
{
    CreatureFlight flight(&ribbon_);
    PlaceHead(ribbon_, Vector3(0.3, 0.2, -3.0), Vector3(0.0, 0.0, -1.0));
    flight.EnterState(CreatureFlight::Dart);
    ASSERT_EQ(flight.State(), CreatureFlight::Dart);
    const Vector3 start = flight.DartStart();
    const Vector3 offset = flight.DartOffset();
    EXPECT_GE(offset.Length(), 0.2 - 1e-12);
    EXPECT_LE(offset.Length(), 0.4 + 1e-12);
    EXPECT_NEAR(offset.z, 0.0, 1e-12) << "across the heading";

    flight.Update(250);
    const Vector3 expected = start + offset * std::sin(250 * 0.0031415926);
    EXPECT_NEAR((ribbon_.Node(0).position - expected).Length(), 0.0, 1e-12);
    flight.Update(249);
    EXPECT_EQ(flight.State(), CreatureFlight::Dart);
    flight.Update(1);
    EXPECT_EQ(flight.State(), CreatureFlight::Hover) << "a dart is followed by a pause";
}

TEST_F(CreatureFlightTest, HoveringEndsOnceItsPauseIsOver)
{
    CreatureFlight flight(&ribbon_);
    flight.EnterState(CreatureFlight::Hover);
    const double pause = flight.PauseLength();
    EXPECT_GE(pause, 0.0);
    EXPECT_LE(pause, 500.0);
    const Vector3 head = ribbon_.Node(0).position;
    int ms = 0;
    while (flight.State() == CreatureFlight::Hover && ms < 1000) {
        flight.Update(1);
        ++ms;
    }
    EXPECT_EQ(ms, static_cast<int>(std::floor(pause)) + 1);
    EXPECT_EQ(ribbon_.Node(0).position.z, head.z) << "no motion while hovering";
}

TEST_F(CreatureFlightTest, WrigglingRunsAWaveAlongTheStraightBodyForTwoSeconds)
{
    CreatureFlight flight(&ribbon_);
    PlaceHead(ribbon_, Vector3(0.0, 0.0, -2.0), Vector3(0.0, 0.0, -1.0));
    flight.EnterState(CreatureFlight::Wriggle);
    ASSERT_EQ(flight.State(), CreatureFlight::Wriggle);
    double largest = 0.0;
    for (int ms = 20; ms < 2000; ms += 20) {
        flight.Update(20);
        ASSERT_EQ(flight.State(), CreatureFlight::Wriggle);
        for (int i = 0; i < 20; ++i) {
            const Vector3& p = ribbon_.Node(i).position;
            EXPECT_LE(std::fabs(p.x), 0.015 + 1e-12);
            largest = std::max(largest, std::fabs(p.x));
        }
        EXPECT_NEAR(ribbon_.Node(0).position.z, -2.0, 1e-3);
    }
    EXPECT_GT(largest, 0.01);
    flight.Update(20);
    EXPECT_EQ(flight.State(), CreatureFlight::FlyToTarget);
}

TEST_F(CreatureFlightTest, FromTheTableItStaysInFlightNineTimesOutOfTen)
{
    CreatureFlight flight(&ribbon_);
    int stays = 0;
    const int trials = 4000;
    for (int k = 0; k < trials; ++k) {
        flight.EnterState(CreatureFlight::FlyToTarget);
        PlaceHead(ribbon_, Vector3(0.0, 0.0, -1.0), Vector3(0.0, 0.0, -1.0));
        flight.LeaveState();
        if (flight.State() == CreatureFlight::FlyToTarget)
            ++stays;
        else
            EXPECT_EQ(flight.State(), CreatureFlight::LevelOut);
    }
    EXPECT_NEAR(stays / static_cast<double>(trials), 0.9, 0.02);
}

}  // namespace
