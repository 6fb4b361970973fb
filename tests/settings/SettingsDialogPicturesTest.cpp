// The dialogs' pictures as the build paints and embeds them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

#include "platform/BitmapResources.h"
#include "platform/Resources.h"

namespace {

struct Pixel {
    int blue, green, red;
};

Pixel At(const platform::BgrxBitmap& bitmap, int x, int y)
{
    const std::uint8_t* p = bitmap.pixels.data() + (static_cast<std::size_t>(y) * bitmap.width + x) * 4;
    return {p[0], p[1], p[2]};
}

bool IsGreen(const Pixel& p) { return p.green > 100 && p.green > p.red + 40 && p.green > p.blue + 40; }
bool IsWhite(const Pixel& p) { return p.red > 245 && p.green > 245 && p.blue > 245; }

unsigned Read16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t Read32(const unsigned char* p) { return Read16(p) | (static_cast<std::uint32_t>(Read16(p + 2)) << 16); }

}  // namespace

TEST(SettingsDialogPicturesTest, TheAboutPictureFitsItsPlaceAndIsNoFlatFill)
{
    platform::BgrxBitmap about;
    ASSERT_TRUE(platform::LoadBitmapResource(116, &about));
    // The template's place is 101 x 61 dialog units, about 152 x 99 pixels at 96 dpi.
    EXPECT_LE(about.width, 152);
    EXPECT_LE(about.height, 99);
    EXPECT_GE(about.width, 120);
    // A dark sky at the top, a bright horizon lower down.
    const Pixel sky = At(about, 4, 2);
    const Pixel horizon = At(about, about.width - 4, about.height * 7 / 10);
    EXPECT_LT(sky.red + sky.green + sky.blue, 200);
    EXPECT_GT(horizon.red, 180);
}

TEST(SettingsDialogPicturesTest, FilesAreGreenDiscsAndFoldersGreenEightArmedStars)
{
    for (const auto& [disc, star, size] : {std::tuple<int, int, int>{138, 139, 32}, {140, 141, 16}}) {
        platform::BgrxBitmap file, folder;
        ASSERT_TRUE(platform::LoadBitmapResource(disc, &file));
        ASSERT_TRUE(platform::LoadBitmapResource(star, &folder));
        ASSERT_EQ(file.width, size);
        ASSERT_EQ(file.height, size);
        ASSERT_EQ(folder.width, size);
        ASSERT_EQ(folder.height, size);
        const int c = size / 2;
        EXPECT_TRUE(IsGreen(At(file, c, c)));
        EXPECT_TRUE(IsWhite(At(file, 0, 0)));
        // The disc is round: as green along the diagonal as along the axis.
        const int r = size * 3 / 10;
        EXPECT_TRUE(IsGreen(At(file, c + r, c)));
        EXPECT_TRUE(IsGreen(At(file, c + r * 7 / 10, c + r * 7 / 10)));

        // The star: eight arms reaching far out, white between them at the same radius.
        EXPECT_TRUE(IsGreen(At(folder, c, c)));
        int arms = 0;
        bool inArm = false;
        const double reach = size * 0.38;
        for (int step = 0; step < 720; ++step) {
            const double angle = step * 3.1415926 / 360;
            const int x = static_cast<int>(std::lround(c + reach * std::cos(angle)));
            const int y = static_cast<int>(std::lround(c + reach * std::sin(angle)));
            const bool green = IsGreen(At(folder, std::min(x, size - 1), std::min(y, size - 1)));
            if (green && !inArm)
                ++arms;
            inArm = green;
        }
        if (inArm && IsGreen(At(folder, static_cast<int>(c + reach), c)))
            --arms;  // the walk began inside an arm
        EXPECT_EQ(arms, 8) << "bitmap " << star;
    }
}

TEST(SettingsDialogPicturesTest, IconsHoldThreeSizesWithTransparentCorners)
{
    for (int id : {100, 102}) {
        platform::ResourceBytes icon;
        ASSERT_TRUE(platform::FindResourceBytes("Icon", id, &icon));
        ASSERT_GE(icon.size, 6u);
        EXPECT_EQ(Read16(icon.data), 0u);
        EXPECT_EQ(Read16(icon.data + 2), 1u) << "an icon, not a cursor";
        const unsigned count = Read16(icon.data + 4);
        ASSERT_EQ(count, 3u);
        std::vector<int> sizes;
        for (unsigned i = 0; i < count; ++i) {
            const unsigned char* entry = icon.data + 6 + 16 * i;
            const int size = entry[0];
            sizes.push_back(size);
            EXPECT_EQ(Read16(entry + 6), 32u);
            const std::uint32_t bytes = Read32(entry + 8);
            const std::uint32_t offset = Read32(entry + 12);
            ASSERT_LE(offset + bytes, icon.size);
            const unsigned char* header = icon.data + offset;
            EXPECT_EQ(Read32(header), 40u);
            EXPECT_EQ(static_cast<int>(Read32(header + 4)), size);
            EXPECT_EQ(static_cast<int>(Read32(header + 8)), size * 2) << "colour rows and mask rows";
            // Rows bottom-up, blue, green, red, alpha: the corners are clear, the middle opaque.
            const unsigned char* pixels = header + 40;
            EXPECT_EQ(pixels[3], 0) << "icon " << id << " size " << size;
            const std::size_t middle = (static_cast<std::size_t>(size / 2) * size + size / 2) * 4;
            EXPECT_EQ(pixels[middle + 3], 255);
        }
        EXPECT_EQ(sizes, (std::vector<int>{48, 32, 16}));
    }
}
