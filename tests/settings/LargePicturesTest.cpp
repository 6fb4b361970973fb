#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ImageDecoder.h"
#include "platform/PictureFormat.h"
#include "scene/DiscPictureLoader.h"
#include "scene/TentacleCycle.h"
#include "settings/CImage.h"

// The JPEGs cameras and phones make, up to 200 megapixels and 100 MB, written by
// tools/make_large_jpegs into the build folder before these cases run (ctest's
// LargeJpegs fixture): top left green, top right red, bottom half blue.
namespace {

const std::string kFolder = std::string(ZEN_BUILD_DIR) + "/large-jpegs/";

enum class Colour { Red, Green, Blue, Other };

Colour ColourAt(const CImage& image, int x, int y)
{
    const std::uint8_t* pixel = image.GetBits() + static_cast<std::ptrdiff_t>(y) * image.GetPitch() + x * 3;
    const int blue = pixel[0], green = pixel[1], red = pixel[2];
    if (red > 150 && green < 90 && blue < 90)
        return Colour::Red;
    if (green > 150 && red < 90 && blue < 90)
        return Colour::Green;
    if (blue > 150 && red < 90 && green < 90)
        return Colour::Blue;
    return Colour::Other;
}

// Where the colours sit within rect of image: a turn or a mirror moves one of them.
void ExpectQuarters(const CImage& image, const ImageRect& rect, const std::string& what)
{
    const auto at = [&](double u, double v) {
        return ColourAt(image, rect.left + static_cast<int>(u * rect.width), rect.top + static_cast<int>(v * rect.height));
    };
    EXPECT_EQ(at(0.25, 0.25), Colour::Green) << what << ": top left";
    EXPECT_EQ(at(0.75, 0.25), Colour::Red) << what << ": top right";
    EXPECT_EQ(at(0.25, 0.75), Colour::Blue) << what << ": bottom left";
    EXPECT_EQ(at(0.75, 0.75), Colour::Blue) << what << ": bottom right";
}

}  // namespace

TEST(LargePictures, CameraAndPhoneJpegsReachTheDiscUprightAtAReducedScale)
{
    struct Case {
        const char* name;
        int width, height;
    };
    const Case cases[] = {
        {"48mp-baseline.jpg", 8000, 6000},     {"48mp-progressive.jpg", 8000, 6000},
        {"61mp-baseline.jpg", 9504, 6336},     {"61mp-progressive.jpg", 9504, 6336},
        {"102mp-baseline.jpg", 11648, 8736},   {"102mp-progressive.jpg", 11648, 8736},
        {"200mp-baseline.jpg", 16320, 12240},  {"200mp-progressive.jpg", 16320, 12240},
        {"200mp-100mb.jpg", 16320, 12240},
    };
    for (const Case& c : cases) {
        const std::string path = kFolder + c.name;
        int width = 0;
        int height = 0;
        ASSERT_TRUE(platform::ProbeImageFile(path.c_str(), &width, &height)) << c.name;
        EXPECT_EQ(width, c.width) << c.name;
        EXPECT_EQ(height, c.height) << c.name;

        // The disc's own path: a loader thread and the canvas it paints, the decoded
        // picture looked at on the way. The loader's time limit is the saver's business,
        // measured by bench/large-pictures.sh on a quiet machine; this one may be shared.
        int decodedWidth = 0;
        int decodedHeight = 0;
        platform::PictureFailure failure = platform::PictureFailure::None;
        DiscPictureLoader loader(nullptr, 30000, [&](const char* file, CImage* picture) {
            const bool decoded = picture->Load(file) == CImage::kResultOk;
            failure = picture->LoadFailure();
            decodedWidth = picture->GetWidth();
            decodedHeight = picture->GetHeight();
            if (decoded)
                ExpectQuarters(*picture, {0, 0, decodedWidth, decodedHeight}, std::string(c.name) + " decoded");
            return decoded;
        });
        ASSERT_TRUE(loader.Request(path));
        ASSERT_EQ(loader.WaitForResult(), DiscPictureLoader::Status::Painted)
            << c.name << ": " << PictureFailureText(failure);
        // An eighth of each side still covers the disc at these sizes.
        EXPECT_EQ(decodedWidth, (c.width + 7) / 8) << c.name;
        EXPECT_EQ(decodedHeight, (c.height + 7) / 8) << c.name;
        EXPECT_GE(decodedHeight, platform::kReducedSizeFloor) << c.name;
        std::unique_ptr<CImage> canvas(new CImage());
        loader.TakeCanvas(&canvas);
        ASSERT_EQ(canvas->GetWidth(), TentacleCycle::kCanvasSize);
        ExpectQuarters(*canvas, TentacleCycle::FitPictureToDisc(width, height), std::string(c.name) + " on the disc");
    }
}

// A progressive JPEG decoded at an eighth of its size needs only its DC coefficients, and
// is read without its other scans: it must come out as the same pixels do from one scan.
TEST(LargePictures, AProgressiveJpegAtAnEighthMatchesItsBaselineTwinPixelForPixel)
{
    CImage baseline;
    CImage progressive;
    ASSERT_EQ(baseline.Load((kFolder + "16mp-grain-baseline.jpg").c_str()), CImage::kResultOk);
    ASSERT_EQ(progressive.Load((kFolder + "16mp-grain-progressive.jpg").c_str()), CImage::kResultOk);
    ASSERT_EQ(baseline.GetWidth(), 512);
    ASSERT_EQ(baseline.GetHeight(), 512);
    ASSERT_EQ(progressive.GetWidth(), 512);
    ASSERT_EQ(progressive.GetHeight(), 512);
    int differing = 0;
    int largest = 0;
    for (int y = 0; y < 512; ++y) {
        const std::uint8_t* a = baseline.GetBits() + static_cast<std::ptrdiff_t>(y) * baseline.GetPitch();
        const std::uint8_t* b = progressive.GetBits() + static_cast<std::ptrdiff_t>(y) * progressive.GetPitch();
        for (int i = 0; i < 512 * 3; ++i) {
            const int difference = a[i] > b[i] ? a[i] - b[i] : b[i] - a[i];
            differing += difference != 0;
            largest = difference > largest ? difference : largest;
        }
    }
    EXPECT_EQ(differing, 0) << "largest difference " << largest;
}
