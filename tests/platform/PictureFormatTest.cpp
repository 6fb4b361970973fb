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

// The JPEG with zeros added to the entropy-coded data of every scan that holds DC
// coefficients: as much data as a picture of the size its header claims needs at least.
std::string WithScanData(const std::string& jpeg, std::size_t bytes)
{
    std::string out = jpeg.substr(0, 2);
    std::size_t at = 2;
    while (at + 4 <= jpeg.size()) {
        const std::uint8_t marker = std::uint8_t(jpeg[at + 1]);
        const std::size_t length = (std::uint8_t(jpeg[at + 2]) << 8) | std::uint8_t(jpeg[at + 3]);
        if (marker == 0xD9 || at + 2 + length > jpeg.size())
            break;
        out += jpeg.substr(at, 2 + length);
        at += 2 + length;
        if (marker != 0xDA)
            continue;
        const int components = std::uint8_t(jpeg[at - length + 2]);
        if (jpeg[at - length + 3 + 2 * components] == 0)  // the scan starts at the DC coefficient
            out.append(bytes, '\0');
        const std::size_t data = at;
        while (at + 1 < jpeg.size() && !(std::uint8_t(jpeg[at]) == 0xFF && jpeg[at + 1] != 0 &&
                                         (std::uint8_t(jpeg[at + 1]) < 0xD0 || std::uint8_t(jpeg[at + 1]) > 0xD7)))
            ++at;
        out += jpeg.substr(data, at - data);
    }
    return out + jpeg.substr(at);
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
                             "gif-image-far-off-screen.gif", "bmp-height-most-negative.bmp"})
        EXPECT_EQ(Inspect(ReadWholeFile(hostile + name), &header), PictureVerdict::TooLarge) << name;

    // A JPEG's header that claims more blocks than its data can hold (a Huffman-coded
    // block takes a bit at the least) lies about its size; with that much data the
    // claim is judged by the work it costs.
    for (const char* name : {"jpeg-claims-65500-square.jpg", "jpeg-claims-8192-square.jpg",
                             "jpeg-progressive-claims-8192-square.jpg", "jpeg-progressive-claims-4000x3000.jpg"})
        EXPECT_EQ(Inspect(ReadWholeFile(hostile + name), &header), PictureVerdict::Damaged) << name;
    // 8192 x 8192 with halved colour: 1.5 M blocks.
    const std::string square = WithScanData(ReadWholeFile(hostile + "jpeg-claims-8192-square.jpg"), 200000);
    ASSERT_EQ(Inspect(square, &header), PictureVerdict::Accepted);
    EXPECT_EQ(header.scaleDenominator, 8);
    EXPECT_EQ(header.scaledBytes, 1024 * 1024 * 3);
    EXPECT_EQ(header.fullScaleBytes, 8192ll * 8192 * 3);
    EXPECT_EQ(Inspect(square, &header, false), PictureVerdict::TooLarge);  // at full size
    // Too many blocks for the entropy decoder, whatever the scale: 100 M of them.
    const std::string vast = WithScanData(ReadWholeFile(hostile + "jpeg-claims-65500-square.jpg"), 13000000);
    EXPECT_EQ(Inspect(vast, &header), PictureVerdict::TooLarge);
    EXPECT_EQ(header.width, 65500);
    // A progressive JPEG keeps its coefficients: 8192 square takes 192 MB, 16000 square over 700 MB.
    const std::string progressive = ReadWholeFile(hostile + "jpeg-progressive-claims-8192-square.jpg");
    ASSERT_EQ(Inspect(WithScanData(progressive, 200000), &header), PictureVerdict::Accepted);
    std::string wide = progressive;
    std::size_t sof = 2;
    while (sof + 9 < wide.size() && std::uint8_t(wide[sof + 1]) != 0xC2)
        sof += 2 + ((std::uint8_t(wide[sof + 2]) << 8) | std::uint8_t(wide[sof + 3]));
    ASSERT_LT(sof + 9, wide.size());
    wide[sof + 5] = wide[sof + 7] = char(16000 >> 8);
    wide[sof + 6] = wide[sof + 8] = char(16000 & 0xFF);
    EXPECT_EQ(Inspect(WithScanData(wide, 800000), &header), PictureVerdict::TooLarge);

    // The largest picture the bounds let through, and a file over the size limit.
    ASSERT_EQ(Inspect(ReadWholeFile(hostile + "png-largest-allowed-4096x8192.png"), &header), PictureVerdict::Accepted);
    EXPECT_EQ(header.fullScaleBytes, 4096ll * 3 * 8192);
    const std::string tooLong(static_cast<std::size_t>(platform::kMaxPictureFileBytes) + 1, '\0');
    EXPECT_EQ(Inspect(tooLong, &header), PictureVerdict::TooLarge);
}
