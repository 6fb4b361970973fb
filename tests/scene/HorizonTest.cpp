#include "scene/Horizon.h"

#include <gtest/gtest.h>

#include <string>

#include "app/ProcessObjects.h"
#include "platform/BitmapResources.h"
#include "tests/support/TestSupport.h"

namespace {

struct Average {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double Luminance() const { return 0.3 * red + 0.59 * green + 0.11 * blue; }
};

Average AverageOf(const platform::BgrxBitmap& bitmap, int top, int bottom, int left, int right)
{
    Average sum;
    int count = 0;
    for (int row = top; row < bottom; ++row) {
        for (int column = left; column < right; ++column) {
            const std::uint8_t* pixel = &bitmap.pixels[(static_cast<std::size_t>(row) * bitmap.width + column) * 4];
            sum.blue += pixel[0];
            sum.green += pixel[1];
            sum.red += pixel[2];
            ++count;
        }
    }
    sum.red /= count;
    sum.green /= count;
    sum.blue /= count;
    return sum;
}

}  // namespace

TEST(HorizonTest, BackdropIsAnUprightDuskOverDarkGround)
{
    platform::BgrxBitmap backdrop;
    ASSERT_TRUE(platform::LoadBitmapResource(Horizon::kBackdropBitmapId, &backdrop));
    ASSERT_EQ(backdrop.width, 512);
    ASSERT_EQ(backdrop.height, 512);
    // Top row first: a deep blue-violet sky above, the warm afterglow at the horizon,
    // dark ground at the bottom.
    const Average sky = AverageOf(backdrop, 0, 60, 0, 512);
    const Average afterglow = AverageOf(backdrop, 300, 325, 0, 512);
    const Average ground = AverageOf(backdrop, 470, 507, 0, 512);
    EXPECT_GT(sky.blue, sky.red);
    EXPECT_LT(sky.Luminance(), 30.0);
    EXPECT_GT(afterglow.red, afterglow.blue);
    EXPECT_GT(afterglow.Luminance(), 3 * sky.Luminance());
    EXPECT_LT(ground.Luminance(), afterglow.Luminance() / 4);
    // Around the planet, high in the middle, the sky stays dark for its faint cloud.
    EXPECT_LT(AverageOf(backdrop, 20, 150, 200, 330).Luminance(), 30.0);
}

TEST(HorizonTest, PlanetPictureIsALitSphereOnBlack)
{
    platform::BgrxBitmap planet;
    ASSERT_TRUE(platform::LoadBitmapResource(130, &planet));
    ASSERT_EQ(planet.width, 128);
    ASSERT_EQ(planet.height, 128);
    EXPECT_LT(AverageOf(planet, 0, 4, 0, 4).Luminance(), 1.0);
    EXPECT_LT(AverageOf(planet, 124, 128, 124, 128).Luminance(), 1.0);
    EXPECT_GT(AverageOf(planet, 56, 72, 56, 72).Luminance(), 60.0);
    // The planet's square shows the first row at its bottom, so the side lit from the
    // sunset, lower right on screen, lies at low row numbers here.
    const double litSide = AverageOf(planet, 22, 37, 88, 103).Luminance();
    const double nightSide = AverageOf(planet, 90, 105, 25, 40).Luminance();
    EXPECT_GT(litSide, 2 * nightSide);
}

TEST(HorizonTest, MissingBackdropLeavesItNotReadyAfterOneNotice)
{
    ASSERT_TRUE(TheEventLog.IsOpen());
    const std::string logPath = TestCaseLogPath();
    const std::size_t before = ReadTextFile(logPath).size();
    Horizon horizon(9999);
    EXPECT_FALSE(horizon.IsReady());
    EXPECT_EQ(ReadTextFile(logPath).substr(before), "   Notify : Start initialization for the background image\n");
}
