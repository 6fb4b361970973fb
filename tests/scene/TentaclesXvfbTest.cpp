#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/ProcessObjects.h"
#include "scene/TentaclesHolder.h"
#include "tests/render/GLTestContext.h"
#include "tests/support/TestSupport.h"

namespace {

const std::string kSamples = std::string(ZEN_BUILD_DIR) + "/sample-pictures";

struct Rgb {
    int r = 0, g = 0, b = 0;
};

Rgb PixelAt(const std::vector<unsigned char>& rows, const GLTestContext& gl, const Vector3& world)
{
    const Vector3 window = ProjectToWindow(world);
    const int x = static_cast<int>(window.x);
    const int y = gl.Height() - 1 - static_cast<int>(window.y);
    Rgb pixel;
    if (x < 0 || x >= gl.Width() || y < 0 || y >= gl.Height())
        return {-1, -1, -1};
    const unsigned char* p = &rows[(static_cast<std::size_t>(y) * gl.Width() + x) * 3];
    return {p[0], p[1], p[2]};
}

int LitPixels(const std::vector<unsigned char>& rows)
{
    int lit = 0;
    for (std::size_t i = 0; i < rows.size(); i += 3)
        lit += rows[i] + rows[i + 1] + rows[i + 2] > 60;
    return lit;
}

void DrawFrame(TentaclesHolder* tentacles, std::uint32_t dt)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    tentacles->Update(dt);
    tentacles->Draw();
}

// Simulated frames until the state is reached, drawing only the last one.
bool AdvanceTo(TentaclesHolder* tentacles, TentacleCycle::TentacleState state, int extraFrames = 0)
{
    int frames = 0;
    while (tentacles->State() != state && frames < 400000) {
        tentacles->Update(16);
        ++frames;
    }
    for (int i = 0; i < extraFrames; ++i)
        tentacles->Update(16);
    DrawFrame(tentacles, 16);
    return frames < 400000;
}

// A 64 x 64 BMP, red in its top half and blue below, green at the top-left corner.
void WriteMarkedBmp(const std::string& path)
{
    std::ofstream(path, std::ios::binary) << MakeBmp(64, 64, [](int x, int y) {
        if (x < 20 && y < 20)
            return 0x00FF00u;
        return y < 32 ? 0xFF0000u : 0x0000FFu;
    });
}

// One context for every test: Xvfb resets when its last client leaves, and a new
// connection made during the reset fails.
class TentaclesXvfb : public ::testing::Test {
protected:
    static void SetUpTestSuite() { context = new GLTestContext(1024, 768); }
    static void TearDownTestSuite()
    {
        delete context;
        context = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(context->IsReady());
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    }

    static GLTestContext* context;
};

GLTestContext* TentaclesXvfb::context = nullptr;

}  // namespace

TEST_F(TentaclesXvfb, RisesCirclesAndShowsThePictureUprightAndNotMirrored)
{
    const GLTestContext& gl = *context;
    const std::string folder = MakeTestFolder("TentaclesXvfbMarked");
    WriteMarkedBmp(folder + "/marked.bmp");
    std::srand(11);
    TentaclesHolder tentacles({{folder, PictureEntry::Kind::Folder}}, nullptr);
    ASSERT_TRUE(tentacles.IsReady());
    tentacles.SetWaitForPictures(true);

    ASSERT_TRUE(AdvanceTo(&tentacles, TentacleCycle::Circling));
    EXPECT_GT(LitPixels(gl.ReadBack()), 200);  // the body is drawn
    ASSERT_TRUE(AdvanceTo(&tentacles, TentacleCycle::Showing, 200));
    EXPECT_EQ(tentacles.Alpha(), 1.0);
    const std::vector<unsigned char> rows = gl.ReadBack();
    const auto& disc = tentacles.Disc();
    const Vector3 centre = disc[0].position;
    const Vector3 right = (disc[1].position - centre) * 0.2;  // texture s grows this way
    const Vector3 up = (disc[11].position - centre) * 0.2;    // and t this way
    const Rgb top = PixelAt(rows, gl, centre + up);
    const Rgb bottom = PixelAt(rows, gl, centre - up);
    const Rgb topLeft = PixelAt(rows, gl, centre + up * 2.4 - right * 2.4);
    const Rgb topRight = PixelAt(rows, gl, centre + up * 2.4 + right * 2.4);
    // Upright: red above blue on screen; not mirrored: the green corner is on the left.
    EXPECT_GT(ProjectToWindow(centre + up).y, ProjectToWindow(centre - up).y);
    EXPECT_GT(ProjectToWindow(centre + right).x, ProjectToWindow(centre - right).x);
    EXPECT_GT(top.r, 150);
    EXPECT_LT(top.b, 80);
    EXPECT_GT(bottom.b, 150);
    EXPECT_LT(bottom.r, 80);
    EXPECT_GT(topLeft.g, 150);
    EXPECT_LT(topRight.g, 80);
}

// Phones store portrait photos landscape and record orientation 6 (8 held the other
// way): the disc shows each upright, every quarter where the upright picture has it.
TEST_F(TentaclesXvfb, ShowsPhotosStoredOnTheirSideUpright)
{
    const GLTestContext& gl = *context;
    for (const char* name : {"orientation-6.jpg", "orientation-8.jpg"}) {
        const std::string folder = MakeTestFolder(std::string("TentaclesXvfbOriented-") + name);
        std::ifstream in(std::string(ZEN_BUILD_DIR) + "/picture-encodings/" + name, std::ios::binary);
        std::ofstream(folder + "/photo.jpg", std::ios::binary) << in.rdbuf();
        std::srand(11);
        TentaclesHolder tentacles({{folder, PictureEntry::Kind::Folder}}, nullptr);
        ASSERT_TRUE(tentacles.IsReady());
        tentacles.SetWaitForPictures(true);
        ASSERT_TRUE(AdvanceTo(&tentacles, TentacleCycle::Showing, 200));
        const std::vector<unsigned char> rows = gl.ReadBack();
        const auto& disc = tentacles.Disc();
        const Vector3 centre = disc[0].position;
        const Vector3 right = (disc[1].position - centre) * 0.2;
        const Vector3 up = (disc[11].position - centre) * 0.2;
        const Rgb topLeft = PixelAt(rows, gl, centre + up - right);
        const Rgb topRight = PixelAt(rows, gl, centre + up + right);
        const Rgb bottomLeft = PixelAt(rows, gl, centre - up - right);
        const Rgb bottomRight = PixelAt(rows, gl, centre - up + right);
        // Red, green, blue and yellow quarters.
        EXPECT_TRUE(topLeft.r > 150 && topLeft.g < 100 && topLeft.b < 100) << name;
        EXPECT_TRUE(topRight.g > 130 && topRight.r < 100 && topRight.b < 110) << name;
        EXPECT_TRUE(bottomLeft.b > 150 && bottomLeft.r < 100 && bottomLeft.g < 110) << name;
        EXPECT_TRUE(bottomRight.r > 150 && bottomRight.g > 130 && bottomRight.b < 100) << name;
    }
}

// A 200-megapixel phone JPEG (tools/make_large_jpegs: top left green, top right red,
// bottom half blue) reaches the disc through the loader as the saver runs it.
TEST_F(TentaclesXvfb, ShowsA200MegapixelJpegUprightAndNotMirrored)
{
    const GLTestContext& gl = *context;
    const std::string path = std::string(ZEN_BUILD_DIR) + "/large-jpegs/200mp-baseline.jpg";
    std::srand(11);
    TentaclesHolder tentacles({{path, PictureEntry::Kind::File}}, nullptr);
    ASSERT_TRUE(tentacles.IsReady());
    tentacles.SetWaitForPictures(true);
    ASSERT_TRUE(AdvanceTo(&tentacles, TentacleCycle::Showing, 200));
    const std::vector<unsigned char> rows = gl.ReadBack();
    const auto& disc = tentacles.Disc();
    const Vector3 centre = disc[0].position;
    const Vector3 right = (disc[1].position - centre) * 0.2;
    const Vector3 up = (disc[11].position - centre) * 0.2;
    const Rgb topLeft = PixelAt(rows, gl, centre + up * 1.5 - right * 1.5);
    const Rgb topRight = PixelAt(rows, gl, centre + up * 1.5 + right * 1.5);
    const Rgb bottom = PixelAt(rows, gl, centre - up * 1.5);
    EXPECT_GT(topLeft.g, 150);
    EXPECT_LT(topLeft.r, 80);
    EXPECT_GT(topRight.r, 150);
    EXPECT_LT(topRight.g, 80);
    EXPECT_GT(bottom.b, 150);
    EXPECT_LT(bottom.r + bottom.g, 160);
}

TEST_F(TentaclesXvfb, ScreenshotsWithTheSamplePictures)
{
    const GLTestContext& gl = *context;
    const std::string out = MakeTestFolder("TentaclesXvfbShots");
    std::srand(4);
    TentaclesHolder tentacles({{kSamples, PictureEntry::Kind::Folder}}, nullptr);
    ASSERT_TRUE(tentacles.IsReady());
    tentacles.SetWaitForPictures(true);
    ASSERT_EQ(tentacles.Pictures().PictureCount(), 6u);
    ASSERT_TRUE(AdvanceTo(&tentacles, TentacleCycle::Growing, 400));
    EXPECT_TRUE(gl.SavePpm(out + "/1-rising.ppm"));
    ASSERT_TRUE(AdvanceTo(&tentacles, TentacleCycle::Circling, 300));
    EXPECT_TRUE(gl.SavePpm(out + "/2-circling.ppm"));
    for (int disc = 0; disc < 3; ++disc) {
        ASSERT_TRUE(AdvanceTo(&tentacles, TentacleCycle::Showing, 250));
        EXPECT_GT(LitPixels(gl.ReadBack()), 1000);
        EXPECT_TRUE(gl.SavePpm(out + "/3-disc-" + std::to_string(disc) + ".ppm"));
        ASSERT_TRUE(AdvanceTo(&tentacles, TentacleCycle::Waiting));
    }
}

TEST_F(TentaclesXvfb, TheSceneObjectShowsTheSlideshowCollection)
{
    ASSERT_EQ(SlideshowPictures.LoadFromText(("1" + kSamples + "/More pictures;2" + kSamples + "/Blossom.png").c_str()), 0);
    TentaclesHolder tentacles;
    EXPECT_TRUE(tentacles.IsReady());
    EXPECT_EQ(tentacles.Pictures().PictureCount(), 3u);
    SlideshowPictures.Clear();
    TentaclesHolder empty;
    EXPECT_TRUE(empty.IsReady());
    EXPECT_EQ(empty.Pictures().PictureCount(), 0u);
}
