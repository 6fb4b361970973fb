#include "render/VectorMath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

// 1e-7 allows for the seven-digit pi constants.
void ExpectNear(const Vector3& v, double x, double y, double z)
{
    EXPECT_NEAR(v.x, x, 1e-7);
    EXPECT_NEAR(v.y, y, 1e-7);
    EXPECT_NEAR(v.z, z, 1e-7);
}

}  // namespace

TEST(VectorMathTest, NormalizeTurnsZeroIntoXAndScalesTheRest)
{
    Vector3 zero;
    zero.Normalize();
    ExpectNear(zero, 1, 0, 0);
    Vector3 up(0, 0, 5);
    up.Normalize();
    ExpectNear(up, 0, 0, 1);
    // No threshold: a short vector is still a direction.
    Vector3 tiny(0, 1e-150, 0);
    tiny.Normalize();
    ExpectNear(tiny, 0, 1, 0);
}

TEST(VectorMathTest, CrossAndRotationFollowTheRightHandRule)
{
    ExpectNear(Cross(Vector3(1, 0, 0), Vector3(0, 1, 0)), 0, 0, 1);
    const double quarter = 1.5707963;
    ExpectNear(Vector3(1, 0, 0).RotateAroundAxis(Vector3(0, 0, 1), quarter), 0, 1, 0);
    // The axis is normalised first, so its length must not scale the result.
    const Vector3 viaLongAxis = Vector3(1, 0, 0).RotateAroundAxis(Vector3(0, 0, 10), quarter);
    ExpectNear(viaLongAxis, 0, 1, 0);
    // Rotation keeps lengths and the component along the axis.
    const Vector3 v(0.3, -1.2, 2.0);
    const Vector3 axis(1, 1, 1);
    const Vector3 turned = v.RotateAroundAxis(axis, 0.7);
    EXPECT_NEAR(turned.Length(), v.Length(), 1e-12);
    EXPECT_NEAR(Dot(turned, axis), Dot(v, axis), 1e-12);
}

TEST(VectorMathTest, DivisionUsesOneReciprocal)
{
    const Vector3 v = Vector3(3, 6, 9) / 3.0;
    ExpectNear(v, 1, 2, 3);
    const Vector2 w = Vector2(1, 3) / 2.0;
    EXPECT_DOUBLE_EQ(w.x, 0.5);
    EXPECT_DOUBLE_EQ(w.y, 1.5);
    EXPECT_DOUBLE_EQ(Vector2(3, 4).Length(), 5.0);
}

TEST(VectorMathTest, RandomUnitCoversBothEnds)
{
    EXPECT_EQ(RandomUnitFromDraw(0), 0.0);
    EXPECT_EQ(RandomUnitFromDraw(32767), 1.0);
    // Draws span 0 ... 32767 whatever RAND_MAX is, and repeat for the same seed.
    std::srand(7);
    int lowest = 32767;
    int highest = 0;
    for (int i = 0; i < 100000; ++i) {
        const int draw = RandomDraw();
        ASSERT_GE(draw, 0);
        ASSERT_LE(draw, 32767);
        lowest = std::min(lowest, draw);
        highest = std::max(highest, draw);
    }
    EXPECT_LT(lowest, 10);
    EXPECT_GT(highest, 32757);
    std::srand(7);
    const double first = RandomUnit();
    std::srand(7);
    EXPECT_EQ(RandomUnit(), first);
}

TEST(VectorMathTest, TransformationMatrixIsColumnMajorWithTranslationLast)
{
    const TransformationMatrix m =
        MakeTransformationMatrix(Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(0, 0, 1), Vector3(3, 4, 5), 2.0);
    const float expected[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 3, 4, 5, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m.m[i], expected[i]) << "element " << i;
    // A non-trivial axis lands in its own column.
    const TransformationMatrix n =
        MakeTransformationMatrix(Vector3(0, 1, 0), Vector3(-1, 0, 0), Vector3(0, 0, 1), Vector3(), 1.0);
    EXPECT_EQ(n.m[1], 1.0f);
    EXPECT_EQ(n.m[4], -1.0f);
}
