#include "scene/FormlessPlanet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "scene/GlowCloud.h"

namespace {

GlowParticle MakeParticle(const Vector3& position, double size, double lifetime, double age = 0.0)
{
    GlowParticle particle;
    particle.age = age;
    particle.lifetime = lifetime;
    particle.size = size;
    particle.position = position;
    return particle;
}

// The next n draws after srand(seed).
std::vector<double> DrawsAfterSeed(unsigned seed, int n)
{
    std::srand(seed);
    std::vector<double> draws;
    for (int i = 0; i < n; ++i)
        draws.push_back(RandomUnit());
    return draws;
}

// Turning about (0, 0, -1): clockwise on screen for a positive angle.
Vector3 Clockwise(const Vector3& v, double angle)
{
    return Vector3(v.x * std::cos(angle) + v.y * std::sin(angle), -v.x * std::sin(angle) + v.y * std::cos(angle), v.z);
}

}  // namespace

TEST(FormlessPlanetTest, SpawnDrawsParentSizeDistanceAndAngleInOrder)
{
    // The root and one spot off the centre, both long-lived, so that each seed picks
    // one of the two parents.
    const GlowParticle offCentre = MakeParticle(PlanetCentre + Vector3(0.3, 0.4, 0.0), 1.0, 1e9);
    bool sawSkip = false;
    bool sawRootParent = false;
    bool sawOtherParent = false;
    for (unsigned i = 1; i <= 300; ++i) {
        // Spread out: some generators' first draw after a small seed is small too.
        const unsigned seed = i * 104729u;
        GlowCloud cloud;
        cloud.AddRoot();
        cloud.Add(offCentre);
        const std::vector<double> u = DrawsAfterSeed(seed, 8);
        std::srand(seed);
        cloud.Spawn();
        if (u[0] > 0.7) {
            sawSkip = true;
            EXPECT_EQ(cloud.Count(), 2u) << "seed " << seed;
            EXPECT_EQ(RandomUnit(), u[1]) << "a skipped spawn draws once";
            continue;
        }
        ASSERT_EQ(cloud.Count(), 3u) << "seed " << seed;
        const std::size_t parentIndex = std::min<std::size_t>(1, static_cast<std::size_t>(u[1] * 2));
        const GlowParticle& parent = cloud.Particles()[parentIndex];
        const GlowParticle& child = cloud.Particles()[2];
        const double size = (u[2] * 0.4 + 0.6) * parent.size;
        const double distance = u[3] * parent.size * 0.2;
        EXPECT_DOUBLE_EQ(child.size, size);
        EXPECT_DOUBLE_EQ(child.lifetime, size * 3000.0);
        EXPECT_EQ(child.age, 0.0);
        Vector3 expected;
        int drawsUsed = 5;
        if (parentIndex == 0) {
            sawRootParent = true;
            expected = PlanetCentre + Clockwise(Vector3(distance, 0.0, 0.0), u[5] * 6.2831852);
            drawsUsed = 6;
        } else {
            sawOtherParent = true;
            // Outward along the parent's radial line (0.6, 0.8), turned by u5 - 0.5.
            expected = parent.position + Clockwise(Vector3(0.6, 0.8, 0.0) * distance, u[4] - 0.5);
        }
        EXPECT_NEAR(child.position.x, expected.x, 1e-12) << "seed " << seed;
        EXPECT_NEAR(child.position.y, expected.y, 1e-12) << "seed " << seed;
        EXPECT_EQ(child.position.z, -20.0);
        EXPECT_EQ(RandomUnit(), u[drawsUsed]) << "seed " << seed << " drew the wrong number of values";
    }
    EXPECT_TRUE(sawSkip);
    EXPECT_TRUE(sawRootParent);
    EXPECT_TRUE(sawOtherParent);
}

TEST(FormlessPlanetTest, ParentDrawOfExactlyOneTakesTheLastParticle)
{
    // A seed whose first draw lets the spawn go ahead and whose second is exactly 1.
    unsigned seed = 0;
    for (unsigned candidate = 1; candidate < 20000000u && seed == 0; ++candidate) {
        std::srand(candidate);
        const int first = RandomDraw();
        if (RandomDraw() == 32767 && RandomUnitFromDraw(first) <= 0.7)
            seed = candidate;
    }
    ASSERT_NE(seed, 0u);
    GlowCloud cloud;
    cloud.AddRoot();
    cloud.Add(MakeParticle(PlanetCentre + Vector3(1.0, 0.0, 0.0), 0.5, 1e9));
    cloud.Add(MakeParticle(PlanetCentre + Vector3(0.0, -1.0, 0.0), 0.25, 1e9));
    std::srand(seed);
    cloud.Spawn();
    ASSERT_EQ(cloud.Count(), 4u);
    const GlowParticle& child = cloud.Particles()[3];
    EXPECT_LE(child.size, 0.25);
    EXPECT_GE(child.size, 0.25 * 0.6);
    // Below the centre, like its parent, and no further than 0.2 of its size outward.
    EXPECT_LT(child.position.y, PlanetCentre.y - 1.0 + 1e-12);
    EXPECT_LE((child.position - Vector3(0.2, 2.0, -20.0)).Length(), 0.05 + 1e-12);
}

TEST(FormlessPlanetTest, RootChildrenStartInAnyDirectionWithinReach)
{
    std::srand(20240613);
    const int sectors = 8;
    std::vector<int> counts(sectors, 0);
    const int children = 4000;
    double farthest = 0.0;
    for (int i = 0; i < children; ++i) {
        GlowCloud cloud;
        cloud.AddRoot();
        while (cloud.Count() == 1)
            cloud.Spawn();
        const Vector3 offset = cloud.Particles()[1].position - PlanetCentre;
        EXPECT_EQ(offset.z, 0.0);
        const double distance = offset.Length();
        ASSERT_LE(distance, 0.4 + 1e-12);
        farthest = std::max(farthest, distance);
        if (distance == 0.0)
            continue;
        const double angle = std::atan2(offset.y, offset.x) + 3.14159265358979;
        counts[std::min(sectors - 1, static_cast<int>(angle / (2 * 3.14159265358979) * sectors))]++;
    }
    EXPECT_GT(farthest, 0.39);
    // 500 expected per sector, standard deviation about 21.
    for (int sector = 0; sector < sectors; ++sector)
        EXPECT_NEAR(counts[sector], children / sectors, 90) << "sector " << sector;
}

TEST(FormlessPlanetTest, CloudStopsGrowingAt3001WithoutReallocating)
{
    GlowCloud cloud;
    cloud.AddRoot();
    for (int i = 1; i < 3000; ++i)
        ASSERT_TRUE(cloud.Add(MakeParticle(PlanetCentre + Vector3(0.001 * i, 0.0, 0.0), 0.5, 1e12)));
    ASSERT_EQ(cloud.Count(), 3000u);
    const GlowParticle* storage = cloud.Particles().data();
    std::srand(99);
    // At 3,000 one more can still come.
    int updates = 0;
    while (cloud.Count() == 3000u && updates < 100) {
        cloud.Update(16);
        ++updates;
    }
    EXPECT_EQ(cloud.Count(), 3001u);
    for (int i = 0; i < 500; ++i)
        cloud.Update(16);
    EXPECT_EQ(cloud.Count(), 3001u);
    EXPECT_FALSE(cloud.Add(MakeParticle(PlanetCentre, 1.0, 1.0)));
    EXPECT_EQ(cloud.Particles().data(), storage) << "the cloud's storage moved during updates";
}

TEST(FormlessPlanetTest, ParticleOutlivesItsLifetimeByOneUpdate)
{
    GlowCloud cloud;
    cloud.AddRoot();
    cloud.Add(MakeParticle(PlanetCentre + Vector3(1, 0, 0), 0.1, 100.0));
    cloud.Add(MakeParticle(PlanetCentre + Vector3(2, 0, 0), 0.1, 1000.0));
    cloud.Add(MakeParticle(PlanetCentre + Vector3(3, 0, 0), 0.1, 1000.0));
    cloud.Age(60);
    cloud.Age(40);
    ASSERT_EQ(cloud.Count(), 4u);
    EXPECT_EQ(cloud.Particles()[1].age, 100.0);
    // At its lifetime it still ages; past it, it is drawn once more (dark) ...
    cloud.Age(1);
    ASSERT_EQ(cloud.Count(), 4u);
    EXPECT_EQ(cloud.Particles()[1].age, 101.0);
    EXPECT_LE(GlowCloud::Brightness(cloud.Particles()[1]), 0.0);
    // ... and goes at the next update, even one of 0 ms; the others keep their order.
    cloud.Age(0);
    ASSERT_EQ(cloud.Count(), 3u);
    EXPECT_EQ(cloud.Particles()[1].position.x, PlanetCentre.x + 2);
    EXPECT_EQ(cloud.Particles()[2].position.x, PlanetCentre.x + 3);
    EXPECT_EQ(cloud.Particles()[1].age, 101.0);
    // The root is never aged, dimmed or removed.
    const GlowParticle& root = cloud.Particles()[0];
    EXPECT_TRUE(root.IsImmortal());
    EXPECT_EQ(root.age, 0.0);
    EXPECT_EQ(root.size, 2.0);
    EXPECT_EQ(GlowCloud::Brightness(root), 1.0);
}

TEST(FormlessPlanetTest, BrightnessRisesAndFallsOverALife)
{
    EXPECT_EQ(GlowCloud::Brightness(MakeParticle(PlanetCentre, 1.0, 3000.0, 0.0)), 0.0);
    EXPECT_NEAR(GlowCloud::Brightness(MakeParticle(PlanetCentre, 1.0, 3000.0, 1500.0)), 1.0, 1e-12);
    EXPECT_NEAR(GlowCloud::Brightness(MakeParticle(PlanetCentre, 1.0, 3000.0, 750.0)), std::sqrt(0.5), 1e-7);
}

TEST(FormlessPlanetTest, GlowTexelsPeakAtTheCentreAndVanishAtTheRim)
{
    // Texel (32, 32) is the centre: cos 0 + 1, clamped to 1 by the 8-bit upload.
    EXPECT_DOUBLE_EQ(FormlessPlanet::GlowTexel(32, 32), 2.0);
    // Half-way out (r = 0.5): cos(pi / 2) + 1, the edge of the opaque core.
    EXPECT_NEAR(FormlessPlanet::GlowTexel(48, 32), 1.0, 1e-7);
    EXPECT_NEAR(FormlessPlanet::GlowTexel(32, 16), 1.0, 1e-7);
    // At r = 1 next to nothing is left; beyond it, nothing.
    EXPECT_NEAR(FormlessPlanet::GlowTexel(0, 32), 0.0, 1e-12);
    EXPECT_GE(FormlessPlanet::GlowTexel(0, 32), 0.0);
    EXPECT_EQ(FormlessPlanet::GlowTexel(0, 0), 0.0);
    EXPECT_EQ(FormlessPlanet::GlowTexel(63, 63), 0.0);
    // The grid stops at 0.96875: the last row is just inside the rim.
    EXPECT_GT(FormlessPlanet::GlowTexel(63, 32), 0.0);
    EXPECT_LT(FormlessPlanet::GlowTexel(63, 32), 0.01);
}

TEST(FormlessPlanetTest, PlanetMaskIsOpaqueInsideAndFadesOverTheOuterTenth)
{
    EXPECT_EQ(FormlessPlanet::PlanetMaskAlpha(64, 64), 255);
    EXPECT_EQ(FormlessPlanet::PlanetMaskAlpha(64 + 57, 64), 255);  // d = 0.890625
    EXPECT_EQ(FormlessPlanet::PlanetMaskAlpha(64, 64 - 57), 255);
    EXPECT_EQ(FormlessPlanet::PlanetMaskAlpha(64 + 58, 64), 239);  // (1 - 0.90625) * 2550 = 239.06
    EXPECT_EQ(FormlessPlanet::PlanetMaskAlpha(127, 64), 39);       // d = 0.984375
    EXPECT_EQ(FormlessPlanet::PlanetMaskAlpha(0, 64), 0);          // d = 1 exactly
    EXPECT_EQ(FormlessPlanet::PlanetMaskAlpha(0, 0), 0);
    EXPECT_EQ(FormlessPlanet::PlanetMaskAlpha(127, 127), 0);
    // Never rising from the centre outwards along a diagonal.
    int previous = 255;
    for (int i = 64; i < 128; ++i) {
        const int alpha = FormlessPlanet::PlanetMaskAlpha(i, i);
        EXPECT_LE(alpha, previous);
        previous = alpha;
    }
}
