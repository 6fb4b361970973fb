#include "settings/CImage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/TestPlatform.h"
#include "tests/support/TestSupport.h"

namespace {

const std::string kSamples = std::string(ZEN_BUILD_DIR) + "/sample-pictures/";

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t Le32(const std::string& s, std::size_t at)
{
    return std::uint8_t(s[at]) | std::uint8_t(s[at + 1]) << 8 | std::uint8_t(s[at + 2]) << 16 |
           std::uint32_t(std::uint8_t(s[at + 3])) << 24;
}

std::uint32_t PixelAt(const CImage& image, int x, int y)
{
    const std::uint8_t* p = image.GetBits() + static_cast<std::ptrdiff_t>(y) * image.GetPitch() + x * (image.GetBPP() / 8);
    return std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

void ExpectEmpty(const CImage& image)
{
    EXPECT_TRUE(image.IsNull());
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetHeight(), 0);
    EXPECT_EQ(image.GetBits(), nullptr);
}

}  // namespace

TEST(CImage, CreateMakesABottomUpBitmapWithRowsRoundedToFourBytes)
{
    CImage image;
    ASSERT_TRUE(image.Create(512, 512, 24, CImage::kCompressionRgb, nullptr, 0));
    EXPECT_EQ(image.GetRowSize(), 1536);
    EXPECT_EQ(image.GetPitch(), -1536);
    EXPECT_EQ(image.GetBits(), image.GetMemory() + 511 * 1536);
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_TRUE(image.IsDibSection());

    CImage odd;
    ASSERT_TRUE(odd.Create(3, -2, 24));  // negative height: top-down
    EXPECT_EQ(odd.GetPitch(), 12);
    EXPECT_EQ(odd.GetBits(), odd.GetMemory());
    EXPECT_FALSE(odd.Create(0, 5, 24));
    ExpectEmpty(odd);
}

TEST(CImage, Decodes24BitBmpRowsAsTheyAre)
{
    const std::string path = kSamples + "Summer meadow.bmp";
    const std::string file = ReadWholeFile(path);
    ASSERT_GT(file.size(), 54u);
    CImage image;
    ASSERT_EQ(image.Load(path.c_str()), CImage::kResultOk);
    ASSERT_EQ(image.GetBPP(), 24);
    const int width = static_cast<int>(Le32(file, 18));
    const int height = static_cast<int>(Le32(file, 22));
    ASSERT_EQ(image.GetWidth(), width);
    ASSERT_EQ(image.GetHeight(), height);
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_LT(image.GetPitch(), 0);
    const std::size_t rowSize = (width * 3 + 3) & ~3;
    for (int y = 0; y < height; ++y) {
        const char* fileRow = file.data() + Le32(file, 10) + std::size_t(height - 1 - y) * rowSize;
        ASSERT_EQ(std::memcmp(image.GetBits() + static_cast<std::ptrdiff_t>(y) * image.GetPitch(), fileRow,
                              std::size_t(width) * 3),
                  0)
            << "row " << y;
    }
}

TEST(CImage, KeepsAGifIndexedWithItsPaletteAndAnAlphaPngWithItsAlpha)
{
    const std::string gifPath = kSamples + "Northern lights.gif";
    const std::string gif = ReadWholeFile(gifPath);
    CImage indexed;
    ASSERT_EQ(indexed.Load(gifPath.c_str()), CImage::kResultOk);
    EXPECT_EQ(indexed.GetBPP(), 8);
    EXPECT_EQ(indexed.GetWidth(), 480);
    EXPECT_EQ(indexed.GetHeight(), 360);
    ASSERT_NE(indexed.GetColorTable(), nullptr);
    ASSERT_TRUE(std::uint8_t(gif[10]) & 0x80);  // a global colour table of 256 entries
    for (int i = 0; i < 256; ++i) {
        const platform::PaletteColour& c = indexed.GetColorTable()[i];
        EXPECT_EQ(c.red, std::uint8_t(gif[13 + 3 * i]));
        EXPECT_EQ(c.green, std::uint8_t(gif[14 + 3 * i]));
        EXPECT_EQ(c.blue, std::uint8_t(gif[15 + 3 * i]));
        EXPECT_EQ(c.reserved, 0);
    }

    const std::string pngPath = kSamples + "Blossom.png";
    CImage alpha;
    ASSERT_EQ(alpha.Load(pngPath.c_str()), CImage::kResultOk);
    EXPECT_EQ(alpha.GetBPP(), 32);
    EXPECT_TRUE(alpha.HasAlpha());
    const std::uint8_t* corner = alpha.GetBits();
    const std::uint8_t* centre = alpha.GetBits() + 200 * alpha.GetPitch() + 200 * 4;
    EXPECT_EQ(corner[3], 0);      // the background is clear
    EXPECT_EQ(centre[3], 255);    // the flower is not
    EXPECT_GT(centre[2], centre[0]);  // a yellow heart: more red than blue, in B, G, R order

    CImage photo;
    const std::string jpegPath = kSamples + "Dusk over the lake.jpg";
    ASSERT_EQ(photo.Load(jpegPath.c_str()), CImage::kResultOk);
    EXPECT_EQ(photo.GetBPP(), 24);
    EXPECT_EQ(photo.GetWidth(), 800);
    EXPECT_FALSE(photo.HasAlpha());
}

TEST(CImage, DecodesTheLessCommonEncodingsToTheirColours)
{
    const std::string folder = std::string(ZEN_BUILD_DIR) + "/picture-encodings/";
    struct Case {
        const char* name;
        int bitsPerPixel;
        bool grey;
        int tolerance;
    };
    const Case cases[] = {
        {"cmyk.jpg", 24, false, 6},  {"gray.jpg", 24, true, 4}, {"progressive.jpg", 24, false, 6},
        {"mono.bmp", 8, false, 0},   {"four.bmp", 8, false, 0}, {"gray.png", 8, true, 0},
        {"deep.png", 24, false, 0},
    };
    for (const Case& c : cases) {
        CImage image;
        ASSERT_EQ(image.Load((folder + c.name).c_str()), CImage::kResultOk) << c.name;
        EXPECT_EQ(image.GetWidth(), 64) << c.name;
        EXPECT_EQ(image.GetHeight(), 48) << c.name;
        EXPECT_EQ(image.GetBPP(), c.bitsPerPixel) << c.name;
        CImage canvas;  // read through a stretch, which resolves palettes
        ASSERT_TRUE(canvas.Create(64, 48, 24));
        ASSERT_TRUE(image.StretchBlt(&canvas, {0, 0, 64, 48}, {0, 0, 64, 48})) << c.name;
        const std::uint32_t top = c.grey ? 0x787878u : 0xC87828u;
        const std::uint32_t bottom = c.grey ? 0x5A5A5Au : 0x285AC8u;
        for (int shift : {16, 8, 0}) {
            EXPECT_NEAR(int((PixelAt(canvas, 32, 5) >> shift) & 0xFF), int((top >> shift) & 0xFF), c.tolerance)
                << c.name;
            EXPECT_NEAR(int((PixelAt(canvas, 32, 42) >> shift) & 0xFF), int((bottom >> shift) & 0xFF), c.tolerance)
                << c.name;
        }
    }
}

// The generator stores one 96 x 64 picture with a colour to each quarter as a camera
// would under each Exif orientation; loaded, every one must stand upright, unmirrored.
// A damaged Exif block (offset past its end, IFDs in a loop, a count of 2^32 - 1) is
// ignored: that picture is stored upright and must stay so.
TEST(CImage, TurnsEachExifOrientationUprightAndIgnoresDamagedExifBlocks)
{
    const std::string folder = std::string(ZEN_BUILD_DIR) + "/picture-encodings/";
    const std::uint32_t quarters[4] = {0xDC2828u, 0x28C83Cu, 0x283CDCu, 0xE6D228u};
    std::vector<std::string> names;
    for (int orientation = 1; orientation <= 8; ++orientation)
        names.push_back("orientation-" + std::to_string(orientation) + ".jpg");
    for (const char* damaged : {"exif-offset-past-end.jpg", "exif-looping-ifds.jpg", "exif-huge-count.jpg"})
        names.push_back(damaged);
    for (const std::string& name : names) {
        CImage image;
        ASSERT_EQ(image.Load((folder + name).c_str()), CImage::kResultOk) << name;
        ASSERT_EQ(image.GetWidth(), 96) << name;
        ASSERT_EQ(image.GetHeight(), 64) << name;
        const int spots[4][2] = {{20, 14}, {76, 14}, {20, 50}, {76, 50}};
        for (int quarter = 0; quarter < 4; ++quarter) {
            const std::uint32_t seen = PixelAt(image, spots[quarter][0], spots[quarter][1]);
            for (int shift : {16, 8, 0})
                EXPECT_NEAR(int((seen >> shift) & 0xFF), int((quarters[quarter] >> shift) & 0xFF), 8)
                    << name << ", quarter " << quarter;
        }
    }
}

TEST(CImage, DecodesALargeJpegAtAReducedScaleThatStillCoversTheDisc)
{
    CImage image;
    ASSERT_EQ(image.Load((kSamples + "/More pictures/Snowy peaks.jpg").c_str()), CImage::kResultOk);
    int width = 0;
    int height = 0;
    ASSERT_TRUE(platform::ProbeImageFile((kSamples + "/More pictures/Snowy peaks.jpg").c_str(), &width, &height));
    EXPECT_EQ(width, 2400);
    EXPECT_EQ(height, 1600);
    // A quarter would leave 400 rows, less than the disc's 512: half it is.
    EXPECT_EQ(image.GetWidth(), 1200);
    EXPECT_EQ(image.GetHeight(), 800);
    EXPECT_EQ(image.GetBPP(), 24);
    const std::uint32_t sky = PixelAt(image, 600, 10);
    const std::uint32_t meadow = PixelAt(image, 600, 790);
    EXPECT_GT(sky & 0xFF, (sky >> 16) & 0xFF);             // blue above
    EXPECT_GT((meadow >> 8) & 0xFF, meadow & 0xFF);        // green below
}

TEST(CImage, AMissingOrBadFileFailsAndLeavesTheHolderEmpty)
{
    const std::string folder = MakeTestFolder("CImageBadFiles");
    const std::string png = ReadWholeFile(kSamples + "Blossom.png");
    const std::string jpeg = ReadWholeFile(kSamples + "Dusk over the lake.jpg");
    const std::string gif = ReadWholeFile(kSamples + "Northern lights.gif");
    ASSERT_FALSE(png.empty());

    std::string corrupt = png.substr(0, 33);  // signature and header intact, then noise
    for (int i = 0; i < 4000; ++i)
        corrupt.push_back(char((i * 7919) & 0xFF));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty.png", ""},
        {"truncated.png", png.substr(0, png.size() / 2)},
        {"header only.png", png.substr(0, 40)},
        {"corrupt.png", corrupt},
        {"no image block.gif", gif.substr(0, 13 + 768)},
        {"just a marker.jpg", jpeg.substr(0, 2)},
        {"text.png", "this is not a picture at all, only words"},
        {"noise.bmp", std::string(3000, '\x5A')},
    };
    for (const auto& [name, bytes] : cases) {
        const std::string path = folder + "/" + name;
        WriteBytes(path, bytes);
        CImage image;
        EXPECT_NE(image.Load(path.c_str()), CImage::kResultOk) << name;
        ExpectEmpty(image);
    }
    CImage missing;
    EXPECT_EQ(missing.Load((folder + "/no such file.jpg").c_str()), CImage::kResultFailed);
    EXPECT_EQ(missing.LoadFailure(), platform::PictureFailure::Unreadable);
    ExpectEmpty(missing);
    // What the log says of each: the reason follows the file, not its name.
    const std::vector<std::pair<std::string, platform::PictureFailure>> reasons = {
        {"text.png", platform::PictureFailure::NotAPicture},
        {"noise.bmp", platform::PictureFailure::NotAPicture},
        {"corrupt.png", platform::PictureFailure::Damaged},
        {"empty.png", platform::PictureFailure::NotAPicture}};
    for (const auto& [name, reason] : reasons) {
        EXPECT_NE(missing.Load((folder + "/" + name).c_str()), CImage::kResultOk) << name;
        EXPECT_EQ(missing.LoadFailure(), reason) << name;
    }
    EXPECT_NE(missing.Load(folder.c_str()), CImage::kResultOk);  // a folder
    ExpectEmpty(missing);
    ASSERT_TRUE(MakeUnreadableFile(folder + "/pipe.png"));  // a pipe would make a reader wait
    EXPECT_NE(missing.Load((folder + "/pipe.png").c_str()), CImage::kResultOk);
    ExpectEmpty(missing);

    // The name does not decide the format: a PNG called .jpg still decodes as a PNG.
    // A truncated JPEG or GIF gives at most a partial picture of its full size.
    WriteBytes(folder + "/really a png.jpg", png);
    CImage renamed;
    EXPECT_EQ(renamed.Load((folder + "/really a png.jpg").c_str()), CImage::kResultOk);
    EXPECT_TRUE(renamed.HasAlpha());
    WriteBytes(folder + "/cut.jpg", jpeg.substr(0, jpeg.size() / 3));
    WriteBytes(folder + "/cut.gif", gif.substr(0, 900));
    for (const char* name : {"/cut.jpg", "/cut.gif"}) {
        CImage cut;
        if (cut.Load((folder + name).c_str()) == CImage::kResultOk)
            EXPECT_EQ(cut.GetWidth(), std::string(name) == "/cut.jpg" ? 800 : 480);
        else
            ExpectEmpty(cut);
    }
}

TEST(CImage, RefusesPicturesWhoseHeaderClaimsAVastSizeWithoutDecodingThem)
{
    const std::string folder = MakeTestFolder("CImageBombs");
    // PNG: a header claiming 100000 x 100000 pixels.
    std::string png = ReadWholeFile(kSamples + "Blossom.png");
    ASSERT_GT(png.size(), 24u);
    const char huge[8] = {0, 1, char(0x86), char(0xA0), 0, 1, char(0x86), char(0xA0)};
    png.replace(16, 8, huge, 8);
    // GIF: logical screen and first image of 65535 x 65535.
    std::string gif = ReadWholeFile(kSamples + "Northern lights.gif");
    gif[6] = gif[7] = gif[8] = gif[9] = char(0xFF);
    // BMP: 60000 x 60000 pixels of 24 bits, with almost no data.
    std::string bmp = MakeBmp(4, 4, [](int, int) { return 0x336699u; });
    bmp[18] = char(0x60), bmp[19] = char(0xEA), bmp[20] = 0, bmp[21] = 0;
    bmp[22] = char(0x60), bmp[23] = char(0xEA), bmp[24] = 0, bmp[25] = 0;
    // JPEG: a start-of-frame of 65500 x 65500.
    std::string jpeg = ReadWholeFile(kSamples + "Dusk over the lake.jpg");
    std::size_t sof = 2;
    while (sof + 9 < jpeg.size() && !(std::uint8_t(jpeg[sof]) == 0xFF && std::uint8_t(jpeg[sof + 1]) == 0xC0))
        sof += 2 + ((std::uint8_t(jpeg[sof + 2]) << 8) | std::uint8_t(jpeg[sof + 3]));
    ASSERT_LT(sof + 9, jpeg.size());
    jpeg[sof + 5] = jpeg[sof + 7] = char(0xFF);
    jpeg[sof + 6] = jpeg[sof + 8] = char(0xDC);

    const std::vector<std::pair<std::string, std::string>> bombs = {
        {"bomb.png", png}, {"bomb.gif", gif}, {"bomb.bmp", bmp}, {"bomb.jpg", jpeg}};
    for (const auto& [name, bytes] : bombs) {
        const std::string path = folder + "/" + name;
        WriteBytes(path, bytes);
        int width = 0;
        int height = 0;
        // A JPEG whose data is far too little for its claim is damaged, its size unknown.
        if (name != "bomb.jpg") {
            ASSERT_TRUE(platform::ProbeImageFile(path.c_str(), &width, &height)) << name;
            EXPECT_GT(std::int64_t(width) * height, platform::kMaxDecodedPixels) << name;
        }
        const auto start = std::chrono::steady_clock::now();
        CImage image;
        EXPECT_NE(image.Load(path.c_str()), CImage::kResultOk) << name;
        EXPECT_EQ(image.LoadFailure(), name == "bomb.jpg" ? platform::PictureFailure::Damaged
                                                          : platform::PictureFailure::TooLarge)
            << name;
        ExpectEmpty(image);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << name;
    }
}

TEST(CImage, StretchesWithAreaAveragingAndSmoothEnlargingKeepingTheTopUp)
{
    const std::string folder = MakeTestFolder("CImageStretch");
    // A one-pixel checkerboard: shrinking by two must average it to grey, which a
    // nearest-pixel stretch never gives.
    WriteBytes(folder + "/checker.bmp", MakeBmp(64, 64, [](int x, int y) {
                   return ((x + y) & 1) ? 0xFFFFFFu : 0x000000u;
               }));
    CImage checker;
    ASSERT_EQ(checker.Load((folder + "/checker.bmp").c_str()), CImage::kResultOk);
    CImage canvas;
    ASSERT_TRUE(canvas.Create(40, 40, 24));
    canvas.FillRect({0, 0, 40, 40}, 0x000000);
    ASSERT_TRUE(checker.StretchBlt(&canvas, {4, 4, 32, 32}, {0, 0, 64, 64}));
    for (int y = 4; y < 36; ++y) {
        for (int x = 4; x < 36; ++x) {
            const int grey = int(PixelAt(canvas, x, y) & 0xFF);
            ASSERT_NEAR(grey, 128, 2) << x << "," << y;
        }
    }
    EXPECT_EQ(PixelAt(canvas, 0, 0), 0u);    // outside the rectangle nothing changes
    EXPECT_EQ(PixelAt(canvas, 39, 39), 0u);

    // Red above, blue below; enlarged, the top stays red and the seam is a blend.
    WriteBytes(folder + "/halves.bmp", MakeBmp(8, 8, [](int, int y) { return y < 4 ? 0xFF0000u : 0x0000FFu; }));
    CImage halves;
    ASSERT_EQ(halves.Load((folder + "/halves.bmp").c_str()), CImage::kResultOk);
    for (int height : {40, -40}) {  // bottom-up and top-down destinations
        CImage target;
        ASSERT_TRUE(target.Create(40, height, 24));
        ASSERT_TRUE(halves.StretchBlt(&target, {0, 0, 40, 40}, {0, 0, 8, 8}));
        EXPECT_EQ(PixelAt(target, 20, 2), 0xFF0000u);
        EXPECT_EQ(PixelAt(target, 20, 37), 0x0000FFu);
        const std::uint32_t seam = PixelAt(target, 20, 20);
        EXPECT_GT(seam >> 16, 0x20u);
        EXPECT_GT(seam & 0xFF, 0x20u);
    }

    // Clipped at the destination's edges; indexed sources go through their palette.
    CImage clipped;
    ASSERT_TRUE(clipped.Create(10, 10, 24));
    EXPECT_TRUE(halves.StretchBlt(&clipped, {-5, 5, 20, 20}, {0, 0, 8, 8}));
    EXPECT_EQ(PixelAt(clipped, 0, 5) >> 16, 0xFFu);
    CImage indexed;
    ASSERT_EQ(indexed.Load((kSamples + "Northern lights.gif").c_str()), CImage::kResultOk);
    CImage small;
    ASSERT_TRUE(small.Create(48, 36, 24));
    EXPECT_TRUE(indexed.StretchBlt(&small, {0, 0, 48, 36}, {0, 0, 480, 360}));
    EXPECT_FALSE(small.StretchBlt(&clipped, {0, 0, 0, 10}, {0, 0, 48, 36}));
    CImage empty;
    EXPECT_FALSE(empty.StretchBlt(&small, {0, 0, 10, 10}, {0, 0, 10, 10}));
}

TEST(CImage, TheLastHolderStopsTheDecoderAndTheNextLoadStartsItAgain)
{
    const int before = CImage::LiveCount();
    {
        CImage a;
        CImage b;
        EXPECT_EQ(CImage::LiveCount(), before + 2);
        ASSERT_EQ(a.Load((kSamples + "Blossom.png").c_str()), CImage::kResultOk);
    }
    EXPECT_EQ(CImage::LiveCount(), before);
    CImage again;
    EXPECT_EQ(again.Load((kSamples + "Dusk over the lake.jpg").c_str()), CImage::kResultOk);
}
