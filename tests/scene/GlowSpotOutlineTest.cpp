#include "scene/GlowSpotOutline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "scene/FormlessPlanet.h"

namespace {

const int kSize = 64;

// The glow texture's texels as the 8-bit upload stores them.
std::vector<std::uint8_t> GlowAlpha()
{
    std::vector<std::uint8_t> alpha(kSize * kSize);
    for (int row = 0; row < kSize; ++row)
        for (int column = 0; column < kSize; ++column)
            alpha[row * kSize + column] =
                static_cast<std::uint8_t>(std::lround(std::min(1.0, FormlessPlanet::GlowTexel(row, column)) * 255.0));
    return alpha;
}

// Linear magnification with wrapping, as OpenGL samples at texture coordinate (s, t).
double Sample(const std::vector<std::uint8_t>& alpha, double s, double t)
{
    const double u = s * kSize - 0.5;
    const double v = t * kSize - 0.5;
    const int i0 = static_cast<int>(std::floor(u));
    const int j0 = static_cast<int>(std::floor(v));
    const double a = u - i0;
    const double b = v - j0;
    auto texel = [&](int i, int j) {
        i = ((i % kSize) + kSize) % kSize;
        j = ((j % kSize) + kSize) % kSize;
        return static_cast<double>(alpha[j * kSize + i]);
    };
    return (1 - a) * (1 - b) * texel(i0, j0) + a * (1 - b) * texel(i0 + 1, j0) + (1 - a) * b * texel(i0, j0 + 1) +
           a * b * texel(i0 + 1, j0 + 1);
}

bool Inside(const GlowSpotOutline::Polygon& polygon, double s, double t)
{
    for (std::size_t i = 0; i < polygon.count; ++i) {
        const Vector2& a = polygon.corners[i];
        const Vector2& b = polygon.corners[(i + 1) % polygon.count];
        if ((b.x - a.x) * (t - a.y) - (b.y - a.y) * (s - a.x) < 0.0)
            return false;
    }
    return polygon.count >= 3;
}

double Area(const GlowSpotOutline::Polygon& polygon)
{
    double twice = 0.0;
    for (std::size_t i = 0; i < polygon.count; ++i) {
        const Vector2& a = polygon.corners[i];
        const Vector2& b = polygon.corners[(i + 1) % polygon.count];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice / 2.0;
}

}  // namespace

TEST(GlowSpotOutlineTest, NoPointOutsideAnOutlineCanAddALevel)
{
    const std::vector<std::uint8_t> alpha = GlowAlpha();
    const GlowSpotOutline outline(alpha, kSize);
    for (int level = 1; level <= GlowSpotOutline::kMaxLevel; ++level) {
        const GlowSpotOutline::Polygon& polygon = outline.ForLevel(level);
        ASSERT_GE(polygon.count, 3u) << "level " << level;
        double largestOutside = 0.0;
        for (int y = 0; y <= 1000; ++y)
            for (int x = 0; x <= 1000; ++x) {
                const double s = x / 1000.0;
                const double t = y / 1000.0;
                if (!Inside(polygon, s, t))
                    largestOutside = std::max(largestOutside, level * Sample(alpha, s, t) / 255.0);
            }
        // Less than half a level rounds to nothing; exact rounding gives room to spare.
        EXPECT_LT(largestOutside, 0.5) << "level " << level;
        EXPECT_GT(Area(polygon), 0.0) << "level " << level << " runs counter-clockwise";
        for (std::size_t i = 0; i < polygon.count; ++i) {
            EXPECT_GE(polygon.corners[i].x, 0.0);
            EXPECT_LE(polygon.corners[i].x, 1.0);
            EXPECT_GE(polygon.corners[i].y, 0.0);
            EXPECT_LE(polygon.corners[i].y, 1.0);
        }
    }
    // The brightest spots of the cloud (grey 0.02, level 5) and the faintest shade far
    // less than their squares.
    EXPECT_LT(Area(outline.ForLevel(5)), 0.7);
    EXPECT_LT(Area(outline.ForLevel(1)), 0.45);
    EXPECT_LT(Area(outline.ForLevel(1)), Area(outline.ForLevel(5)));
}

TEST(GlowSpotOutlineTest, FaintSpotsAreLeftOutAndBrightOnesKeepTheirSquare)
{
    const GlowSpotOutline outline(GlowAlpha(), kSize);
    // Brightness at or below zero (a spot drawn once past its lifetime) and greys that
    // round to level 0.
    EXPECT_EQ(outline.ForGrey(-0.01).count, 0u);
    EXPECT_EQ(outline.ForGrey(0.0).count, 0u);
    EXPECT_EQ(outline.ForGrey(0.5 / 255.0 - 0.0001).count, 0u);
    EXPECT_GE(outline.ForGrey(0.02).count, 3u);
    EXPECT_EQ(GlowSpotOutline::GreyLevel(0.02), 5);
    // A grey just under a rounding boundary counts as the level above.
    EXPECT_EQ(GlowSpotOutline::GreyLevel(1.4999 / 255.0), 2);
    const GlowSpotOutline::Polygon& square = outline.ForGrey(0.5);
    ASSERT_EQ(square.count, 4u);
    EXPECT_DOUBLE_EQ(Area(square), 1.0);

    // Texels that are no picture at all leave every level the whole square.
    const GlowSpotOutline broken(std::vector<std::uint8_t>(3, 255), kSize);
    EXPECT_DOUBLE_EQ(Area(broken.ForLevel(5)), 1.0);
}

TEST(GlowSpotOutlineTest, SquarePointsAndMagnification)
{
    const Vector3 centre(0.2, 3.0, -20.0);
    const Vector3 corner = GlowSpotOutline::OnSquare(Vector2(0.0, 0.0), centre, 2.0);
    EXPECT_DOUBLE_EQ(corner.x, -1.8);
    EXPECT_DOUBLE_EQ(corner.y, 1.0);
    EXPECT_DOUBLE_EQ(corner.z, -20.0);
    const Vector3 middle = GlowSpotOutline::OnSquare(Vector2(0.5, 0.75), centre, 2.0);
    EXPECT_DOUBLE_EQ(middle.x, 0.2);
    EXPECT_DOUBLE_EQ(middle.y, 4.0);

    // 100 pixels a unit: a 64-texel square is magnified everywhere from a side of
    // 0.8 (1.25 pixels a texel).
    EXPECT_DOUBLE_EQ(GlowSpotOutline::MagnifiedHalfSize(100.0, 64), 0.4);
    EXPECT_TRUE(std::isinf(GlowSpotOutline::MagnifiedHalfSize(0.0, 64)));
}
