// Decoding through GDI+ and stretching through GDI, in the Wine prefix the tests run in.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ImageDecoder.h"
#include "tests/support/TestSupport.h"

namespace {

class Target : public platform::DecodeTarget {
public:
    bool Allocate(int width, int height, int bitsPerPixel, bool hasAlpha, std::uint8_t** topRow,
                  int* pitch) override
    {
        this->width = width;
        this->height = height;
        this->bitsPerPixel = bitsPerPixel;
        this->hasAlpha = hasAlpha;
        rowSize = ((bitsPerPixel * width + 31) / 32) * 4;
        rows.assign(static_cast<std::size_t>(rowSize) * height, 0);
        *topRow = rows.data();
        *pitch = rowSize;
        return true;
    }
    void SetColourTable(const platform::PaletteColour* entries, int count) override
    {
        colours.assign(entries, entries + count);
    }
    const std::uint8_t* Row(int y) const { return rows.data() + static_cast<std::size_t>(y) * rowSize; }

    int width = 0, height = 0, bitsPerPixel = 0, rowSize = 0;
    bool hasAlpha = false;
    std::vector<std::uint8_t> rows;
    std::vector<platform::PaletteColour> colours;
};

std::string Write(const std::string& folder, const std::string& name, const std::string& bytes)
{
    const std::string path = folder + "\\" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// An 8-bit BMP with a four-colour table, pixel (x, y) = index (x + y) % 4.
std::string MakeIndexedBmp(int width, int height)
{
    const int rowSize = (width + 3) & ~3;
    const int offset = 54 + 4 * 4;
    std::string file(offset + static_cast<std::size_t>(rowSize) * height, '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = char(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, std::uint32_t(file.size()));
    put32(10, offset);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    file[26] = 1;
    file[28] = 8;
    put32(46, 4);
    const std::uint32_t table[4] = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF};
    for (int i = 0; i < 4; ++i)
        put32(54 + i * 4, table[i]);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            file[offset + static_cast<std::size_t>(height - 1 - y) * rowSize + x] = char((x + y) % 4);
    }
    return file;
}

}  // namespace

class ImageDecoderGdiplus : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(platform::StartImageDecoder()); }
    void TearDown() override { platform::StopImageDecoder(); }
};

TEST_F(ImageDecoderGdiplus, TrueColourBmpIsCopiedRowByRowTopRowFirst)
{
    const std::string folder = MakeTestFolder("ImageDecoderGdiplusBmp");
    const std::string path = Write(folder, "colours.bmp", MakeBmp(5, 3, [](int x, int y) {
        return static_cast<std::uint32_t>((x * 40) << 16 | (y * 90) << 8 | 7);
    }));
    Target target;
    ASSERT_EQ(platform::DecodeImageFile(path.c_str(), platform::kMaxDecodedPixels, &target), platform::PictureFailure::None);
    ASSERT_EQ(target.bitsPerPixel, 24);
    EXPECT_FALSE(target.hasAlpha);
    ASSERT_EQ(target.width, 5);
    ASSERT_EQ(target.height, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const std::uint8_t* pixel = target.Row(y) + x * 3;
            EXPECT_EQ(pixel[0], 7);
            EXPECT_EQ(pixel[1], y * 90);
            EXPECT_EQ(pixel[2], x * 40);
        }
    }
    int width = 0, height = 0;
    EXPECT_TRUE(platform::ProbeImageFile(path.c_str(), &width, &height));
    EXPECT_EQ(width, 5);
    EXPECT_EQ(height, 3);
}

TEST_F(ImageDecoderGdiplus, IndexedBmpStaysIndexedWithItsColourTable)
{
    const std::string folder = MakeTestFolder("ImageDecoderGdiplusIndexed");
    const std::string path = Write(folder, "four.bmp", MakeIndexedBmp(6, 4));
    Target target;
    ASSERT_EQ(platform::DecodeImageFile(path.c_str(), platform::kMaxDecodedPixels, &target), platform::PictureFailure::None);
    ASSERT_EQ(target.bitsPerPixel, 8);
    ASSERT_GE(target.colours.size(), 4u);
    EXPECT_EQ(target.colours[1].red, 0xFF);
    EXPECT_EQ(target.colours[1].green, 0);
    EXPECT_EQ(target.colours[3].blue, 0xFF);
    EXPECT_EQ(target.colours[0].red, 0x10);
    EXPECT_EQ(target.colours[0].green, 0x20);
    EXPECT_EQ(target.colours[0].blue, 0x30);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(target.Row(y)[x], (x + y) % 4) << x << "," << y;
    }
}

TEST_F(ImageDecoderGdiplus, OtherFormatsVastClaimsAndMissingFilesNeverReachTheDecoderAndSayWhy)
{
    using platform::PictureFailure;
    const std::string folder = MakeTestFolder("ImageDecoderGdiplusRefused");
    Target target;
    auto decode = [&](const std::string& path) {
        return platform::DecodeImageFile(path.c_str(), platform::kMaxDecodedPixels, &target);
    };
    // GDI+ would open a TIFF whatever it is called.
    EXPECT_EQ(decode(Write(folder, "tiff.jpg", std::string("II*\0\x08\0\0\0\0\0", 10))), PictureFailure::NotAPicture);
    std::string vast = MakeBmp(2, 2, [](int, int) { return 0u; });
    vast[18] = vast[22] = char(0x60);  // 60000 = 0xEA60 on each side
    vast[19] = vast[23] = char(0xEA);
    EXPECT_EQ(decode(Write(folder, "vast.bmp", vast)), PictureFailure::TooLarge);
    EXPECT_EQ(decode(Write(folder, "empty.png", "")), PictureFailure::NotAPicture);
    EXPECT_EQ(decode(folder + "\\missing.png"), PictureFailure::Unreadable);
    EXPECT_EQ(decode(folder), PictureFailure::Unreadable);
    EXPECT_EQ(target.width, 0);
}

TEST_F(ImageDecoderGdiplus, StretchingKeepsColoursInPlace)
{
    // Left half red, right half blue, 8 x 4, made twice as large and half as large.
    std::vector<std::uint8_t> source(8 * 3 * 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            std::uint8_t* pixel = &source[(y * 8 + x) * 3];
            pixel[0] = x < 4 ? 0 : 255;
            pixel[2] = x < 4 ? 255 : 0;
        }
    }
    for (int scale : {2, -2}) {
        const int width = scale > 0 ? 16 : 4;
        const int height = scale > 0 ? 8 : 2;
        const int stride = width * 3 + 1;  // an odd stride is honoured
        std::vector<std::uint8_t> target(static_cast<std::size_t>(stride) * height, 99);
        ASSERT_TRUE(platform::ResampleBgr24(source.data(), 24, 8, 4, target.data(), stride, width, height));
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* left = &target[static_cast<std::size_t>(y) * stride];
            const std::uint8_t* right = left + (width - 1) * 3;
            EXPECT_GT(left[2], 200) << scale;
            EXPECT_LT(left[0], 50) << scale;
            EXPECT_GT(right[0], 200) << scale;
            EXPECT_LT(right[2], 50) << scale;
            EXPECT_EQ(left[stride - 1], 99) << "the byte past the row is left alone";
        }
    }
    std::uint8_t one[3];
    EXPECT_FALSE(platform::ResampleBgr24(source.data(), 24, 8, 4, one, 3, 0, 1));
}
