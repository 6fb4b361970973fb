#include "platform/PictureFormat.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/TestSupport.h"

namespace {

using platform::InspectPicture;
using platform::PictureFormat;
using platform::PictureHeader;
using platform::PictureVerdict;

PictureVerdict Inspect(const std::string& bytes, PictureHeader* header, bool reducedJpeg = true)
{
    return InspectPicture(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), reducedJpeg, header);
}

std::string Generated(const std::string& option)
{
    const std::string folder = MakeTestFolder("PictureFormat" + std::string(option.empty() ? "Hostile" : "Seeds"));
    const std::string command = std::string(ZEN_BUILD_DIR) + "/make_hostile_pictures " + option + " '" + folder + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return folder + "/";
}

}  // namespace

TEST(PictureFormat, TellsTheFourFormatsByTheirBytesWithTheirSizeAndDecodedDepth)
{
    const std::string seeds = Generated("--seeds");
    struct Case {
        const char* name;
        PictureFormat format;
        int width, height, bitsPerPixel;
    };
    const Case cases[] = {
        {"seed-palette-4.png", PictureFormat::Png, 13, 9, 8},   {"seed-rgba.png", PictureFormat::Png, 12, 10, 32},
        {"seed-rgb-16.png", PictureFormat::Png, 10, 6, 24},     {"seed-grey-alpha.png", PictureFormat::Png, 8, 8, 32},
        {"seed-offset-frame.gif", PictureFormat::Gif, 24, 20, 8}, {"seed-animated.gif", PictureFormat::Gif, 24, 20, 8},
        {"seed-progressive.jpg", PictureFormat::Jpeg, 40, 30, 24}, {"seed-cmyk.jpg", PictureFormat::Jpeg, 40, 30, 24},
        {"seed-top-down-32.bmp", PictureFormat::Bmp, 9, 6, 32}, {"seed-core-header.bmp", PictureFormat::Bmp, 8, 3, 24},
        {"seed-4.bmp", PictureFormat::Bmp, 11, 5, 8},
    };
    for (const Case& c : cases) {
        PictureHeader header;
        ASSERT_EQ(Inspect(ReadWholeFile(seeds + c.name), &header), PictureVerdict::Accepted) << c.name;
        EXPECT_EQ(header.format, c.format) << c.name;
        EXPECT_EQ(header.width, c.width) << c.name;
        EXPECT_EQ(header.height, c.height) << c.name;
        EXPECT_EQ(header.bitsPerPixel, c.bitsPerPixel) << c.name;
        EXPECT_EQ(header.scaleDenominator, 1) << c.name;
    }
}

TEST(PictureFormat, RefusesOtherFormatsAndEveryImageOrScanOverTheBounds)
{
    const std::string hostile = Generated("");
    PictureHeader header;
    for (const char* name : {"tiff-named-as.jpg", "icon-named-as.bmp", "metafile-named-as.png",
                             "enhanced-metafile-named-as.gif", "empty.png"})
        EXPECT_EQ(Inspect(ReadWholeFile(hostile + name), &header), PictureVerdict::Unknown) << name;
    for (const char* name : {"gif-no-image.gif", "bmp-header-only.bmp", "jpeg-markers-only.jpg", "gif-header-only.gif",
                             "bmp-pixels-far-beyond-the-end.bmp"})
        EXPECT_EQ(Inspect(ReadWholeFile(hostile + name), &header), PictureVerdict::Damaged) << name;

    // The second image of a GIF is checked as well as the first; the claim is kept.
    ASSERT_EQ(Inspect(ReadWholeFile(hostile + "gif-second-image-45000x62000.gif"), &header), PictureVerdict::TooLarge);
    EXPECT_EQ(header.width, 45000);
    EXPECT_EQ(header.height, 62000);
    EXPECT_EQ(Inspect(ReadWholeFile(hostile + "jpeg-2000-scans.jpg"), &header), PictureVerdict::TooLarge);
    EXPECT_EQ(header.width, 1024);
    for (const char* name : {"png-claims-100000-square.png", "png-claims-8192-square.png", "bmp-claims-8192-square.bmp",
                             "bmp-claims-60000-square.bmp", "gif-screen-65535-square.gif",
                             "jpeg-claims-65500-square.jpg", "jpeg-progressive-claims-8192-square.jpg",
                             "gif-image-far-off-screen.gif", "bmp-height-most-negative.bmp"})
        EXPECT_EQ(Inspect(ReadWholeFile(hostile + name), &header), PictureVerdict::TooLarge) << name;

    // An 8192 x 8192 JPEG fits when decoded at an eighth, not at full size.
    const std::string square = ReadWholeFile(hostile + "jpeg-claims-8192-square.jpg");
    ASSERT_EQ(Inspect(square, &header), PictureVerdict::Accepted);
    EXPECT_EQ(header.scaleDenominator, 8);
    EXPECT_EQ(header.scaledBytes, 1024 * 1024 * 3);
    EXPECT_EQ(header.fullScaleBytes, 8192ll * 8192 * 3);
    EXPECT_EQ(Inspect(square, &header, false), PictureVerdict::TooLarge);

    // The largest picture the bounds let through, and a file over the size limit.
    ASSERT_EQ(Inspect(ReadWholeFile(hostile + "png-largest-allowed-4096x8192.png"), &header), PictureVerdict::Accepted);
    EXPECT_EQ(header.fullScaleBytes, 4096ll * 3 * 8192);
    const std::string tooLong(static_cast<std::size_t>(platform::kMaxPictureFileBytes) + 1, '\0');
    EXPECT_EQ(Inspect(tooLong, &header), PictureVerdict::TooLarge);
}
