// What the backdrop and the planet draw, read back from a GL context of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/EventLog.h"
#include "app/ProcessObjects.h"
#include "platform/BitmapResources.h"
#include "render/SceneView.h"
#include "scene/DistantView.h"
#include "scene/FormlessPlanet.h"
#include "scene/Horizon.h"
#include "tests/render/GLTestContext.h"
#include "tests/support/TestSupport.h"

namespace {

const int kWidth = 640;
const int kHeight = 480;
// Half the view's height at distance 1 (vertical field of view 21 degrees).
const double kHalfHeightPerDistance = std::tan(10.5 * 3.14159265358979 / 180.0);
const double kAspect = 1.3333333;

struct Rgb {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
};

Rgb PixelAt(const std::vector<unsigned char>& rows, int x, int y)
{
    const unsigned char* p = &rows[(static_cast<std::size_t>(y) * kWidth + x) * 3];
    return Rgb{double(p[0]), double(p[1]), double(p[2])};
}

// GL_LINEAR sampling of a picture given top row first, rows counted down from t = 0.
Rgb SampleLinear(const platform::BgrxBitmap& picture, double s, double t)
{
    const double fx = std::clamp(s * picture.width - 0.5, 0.0, picture.width - 1.0);
    const double fy = std::clamp(t * picture.height - 0.5, 0.0, picture.height - 1.0);
    const int x0 = static_cast<int>(fx);
    const int y0 = static_cast<int>(fy);
    const int x1 = std::min(x0 + 1, picture.width - 1);
    const int y1 = std::min(y0 + 1, picture.height - 1);
    const double ax = fx - x0;
    const double ay = fy - y0;
    auto texel = [&](int x, int y, int channel) {
        return double(picture.pixels[(static_cast<std::size_t>(y) * picture.width + x) * 4 + channel]);
    };
    auto mix = [&](int channel) {
        const double top = texel(x0, y0, channel) * (1 - ax) + texel(x1, y0, channel) * ax;
        const double bottom = texel(x0, y1, channel) * (1 - ax) + texel(x1, y1, channel) * ax;
        return top * (1 - ay) + bottom * ay;
    };
    return Rgb{mix(2), mix(1), mix(0)};
}

// The window pixel (from the top left) where a world point of the plane z = zPlane lands.
void Project(double x, double y, double zPlane, int* px, int* py)
{
    const double distance = 4.0 - zPlane;
    const double ndcX = x / (distance * kHalfHeightPerDistance * kAspect);
    const double ndcY = y / (distance * kHalfHeightPerDistance);
    *px = static_cast<int>(std::floor((ndcX + 1.0) * 0.5 * kWidth));
    *py = static_cast<int>(std::floor((1.0 - ndcY) * 0.5 * kHeight));
}

double Difference(const Rgb& a, const Rgb& b)
{
    return std::max({std::fabs(a.r - b.r), std::fabs(a.g - b.g), std::fabs(a.b - b.b)});
}

std::string LogText()
{
    return ReadWholeFile(TestCaseLogPath());
}

void SaveScreenshot(const GLTestContext& gl, const std::string& name)
{
    const std::string folder = MakeTestFolder("BackdropXvfbTest-" + name);
    gl.SavePpm(folder + "/" + name + ".ppm");
}

// One context for the whole program: Xvfb resets when its last client leaves, and a
// new connection during the reset fails.
class BackdropXvfbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { context_ = new GLTestContext(kWidth, kHeight); }
    static void TearDownTestSuite()
    {
        delete context_;
        context_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(context_->IsReady());
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    static GLTestContext* context_;
};

GLTestContext* BackdropXvfbTest::context_ = nullptr;

}  // namespace

TEST_F(BackdropXvfbTest, HorizonFillsTheViewUprightAndWritesNoDepth)
{
    const GLTestContext& gl = *context_;
    ASSERT_TRUE(TheEventLog.IsOpen());
    platform::BgrxBitmap picture;
    ASSERT_TRUE(platform::LoadBitmapResource(149, &picture));

    Horizon horizon;
    ASSERT_TRUE(horizon.IsReady());
    EXPECT_NE(LogText().find("   Notify : Start initialization for the background image\n"
                             "   Notify : Bitmap is loaded\n"
                             "   Notify : Background image is initialized properly\n"),
              std::string::npos);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    horizon.Draw();
    const std::vector<unsigned char> rows = gl.ReadBack();
    SaveScreenshot(gl, "horizon");

    // Every window pixel shows the picture point that the quad puts there: the top row
    // at the top, the bottom one percent of rows cut off, nothing of the clear colour.
    const double halfWidth = 4.0 * kHalfHeightPerDistance * kAspect;
    const double halfHeight = 4.0 * kHalfHeightPerDistance;
    double totalDifference = 0.0;
    int points = 0;
    int farOff = 0;
    for (int y = 2; y < kHeight; y += 11) {
        for (int x = 3; x < kWidth; x += 13) {
            const double worldX = ((x + 0.5) / kWidth * 2.0 - 1.0) * halfWidth;
            const double worldY = (1.0 - (y + 0.5) / kHeight * 2.0) * halfHeight;
            const double s = (worldX + 1.0) / 2.0;
            const double t = (0.75 - worldY) / 1.5 * 0.99;
            const double difference = Difference(PixelAt(rows, x, y), SampleLinear(picture, s, t));
            totalDifference += difference;
            farOff += difference > 24.0 ? 1 : 0;
            ++points;
        }
    }
    EXPECT_LT(totalDifference / points, 3.0);
    EXPECT_LT(farOff, points / 50) << "of " << points << " points";

    // No depth is written, and the state is left as the objects after it expect.
    float depth = 0.0f;
    glReadPixels(kWidth / 2, kHeight / 2, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    GLint environment = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
    EXPECT_EQ(environment, GL_REPLACE);
}

// How many channel values of two frames differ, and by how much at most.
struct FrameDifference {
    std::size_t differing = 0;
    int largest = 0;
};

FrameDifference Compare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    FrameDifference result;
    for (std::size_t k = 0; k < std::min(a.size(), b.size()); ++k) {
        const int difference = std::abs(int(a[k]) - int(b[k]));
        result.largest = std::max(result.largest, difference);
        result.differing += difference != 0;
    }
    return result;
}

// Copied from its buffer, the backdrop is the picture drawn, also after the view
// changes. (Filtering into the buffer's format may round a rare value the other way.)
TEST_F(BackdropXvfbTest, CopiedBackdropIsThePictureDrawn)
{
    const GLTestContext& gl = *context_;
    Horizon copied;
    Horizon drawn;
    ASSERT_TRUE(copied.IsReady());
    drawn.AllowCopy(false);
    auto frame = [&](Horizon& horizon) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        horizon.Draw();
        return gl.ReadBack();
    };
    auto expectSame = [&](const char* what) {
        const std::vector<unsigned char> expected = frame(drawn);
        const FrameDifference difference = Compare(frame(copied), expected);
        EXPECT_LE(difference.largest, 1) << what;
        EXPECT_LT(difference.differing * 10000, expected.size()) << what;
    };
    expectSame("the frame that fills the buffer");
    expectSame("a frame copied from it");

    // A smaller viewport, then the camera a little aside: each time the buffer is the new
    // view's.
    glViewport(0, 0, kWidth / 2, kHeight / 2);
    expectSame("half the viewport");
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_MODELVIEW);
    glTranslated(0.05, 0.0, 0.0);
    expectSame("the camera moved");
    SetSceneView();
    expectSame("back to the saver's view");
}

TEST_F(BackdropXvfbTest, MissingBackdropCreatesNoTexture)
{
    GLuint before = 0;
    glGenTextures(1, &before);
    Horizon horizon(9999);
    EXPECT_FALSE(horizon.IsReady());
    // Names are handed out in sequence: none was taken in between.
    GLuint after = 0;
    glGenTextures(1, &after);
    EXPECT_EQ(after, before + 1);
}

TEST_F(BackdropXvfbTest, PlanetSitsOverItsFaintHalo)
{
    const GLTestContext& gl = *context_;
    ASSERT_TRUE(TheEventLog.IsOpen());
    platform::BgrxBitmap picture;
    ASSERT_TRUE(platform::LoadBitmapResource(130, &picture));

    FormlessPlanet planet;
    ASSERT_TRUE(planet.IsReady());
    EXPECT_NE(LogText().find("   Notify : Start initialization for the formless planet\n"
                             "   Notify : Bitmap is loaded\n"
                             "   Notify : The formless planet is initialized properly\n"),
              std::string::npos);
    ASSERT_EQ(planet.Cloud().Count(), 1u);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    planet.Draw();
    const std::vector<unsigned char> rows = gl.ReadBack();
    SaveScreenshot(gl, "planet");

    // Inside the opaque disc the picture shows as it is, its first row at the bottom.
    int checked = 0;
    for (double v = 0.2; v <= 0.8; v += 0.1) {
        for (double u = 0.2; u <= 0.8; u += 0.1) {
            const double dx = u * 2 - 1;
            const double dy = v * 2 - 1;
            if (dx * dx + dy * dy > 0.8 * 0.8)
                continue;
            int px = 0;
            int py = 0;
            Project(PlanetCentre.x + dx, PlanetCentre.y + dy, PlanetCentre.z, &px, &py);
            const Rgb expected = SampleLinear(picture, u, v);
            EXPECT_LT(Difference(PixelAt(rows, px, py), expected), 12.0) << "at u " << u << ", v " << v;
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);

    // Beside the planet the root's square adds at most 0.02 of grey; beyond it, nothing.
    int px = 0;
    int py = 0;
    Project(PlanetCentre.x + 1.1, PlanetCentre.y, PlanetCentre.z, &px, &py);
    const Rgb halo = PixelAt(rows, px, py);
    EXPECT_GE(halo.r, 3.0);
    EXPECT_LE(halo.r, 6.0);
    EXPECT_EQ(halo.r, halo.g);
    EXPECT_EQ(halo.r, halo.b);
    Project(PlanetCentre.x + 2.2, PlanetCentre.y, PlanetCentre.z, &px, &py);
    EXPECT_EQ(PixelAt(rows, px, py).r, 0.0);

    // Blending off with the last factors kept, depth writes on, texturing off.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint source = 0;
    GLint destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
}

TEST_F(BackdropXvfbTest, GrownCloudBrightensAroundThePlanet)
{
    const GLTestContext& gl = *context_;
    FormlessPlanet planet;
    ASSERT_TRUE(planet.IsReady());
    auto ringSum = [&]() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        planet.Draw();
        const std::vector<unsigned char> rows = gl.ReadBack();
        double sum = 0.0;
        for (double angle = 0.0; angle < 6.28; angle += 0.05) {
            int px = 0;
            int py = 0;
            Project(PlanetCentre.x + 1.3 * std::cos(angle), PlanetCentre.y + 1.3 * std::sin(angle), PlanetCentre.z,
                    &px, &py);
            sum += PixelAt(rows, px, py).g;
        }
        return sum;
    };
    const double rootOnly = ringSum();
    std::srand(4242);
    for (int frame = 0; frame < 1200; ++frame)
        planet.Update(16);
    EXPECT_GT(planet.Cloud().Count(), 40u);
    EXPECT_GT(ringSum(), rootOnly * 1.5);

    // The whole scene's back: the backdrop with the grown planet in front of it.
    Horizon horizon;
    ASSERT_TRUE(horizon.IsReady());
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    horizon.Draw();
    planet.Draw();
    SaveScreenshot(gl, "backdrop-and-planet");
}

// The accumulation buffer, updated frame after frame as spots brighten, fade and die
// (and started again after frames that were never drawn), gives what drawing every spot
// gives; and exactly what it gives when drawn only now and then: nothing drifts.
TEST_F(BackdropXvfbTest, AccumulatedCloudIsTheCloudOfEverySpotDrawn)
{
    const GLTestContext& gl = *context_;
    const std::vector<int> compared = {300, 900, 1500};
    const int skippedFrom = 1000;  // updates only, up to 1100
    enum class Drawing { EveryFrame, OnlyCompared, EverySpot };
    auto run = [&](Drawing drawing) {
        std::vector<std::vector<unsigned char>> frames;
        std::srand(777);
        FormlessPlanet planet;
        planet.AllowAccumulation(drawing != Drawing::EverySpot);
        for (int frame = 1; frame <= compared.back(); ++frame) {
            planet.Update(16);
            const bool wanted = std::find(compared.begin(), compared.end(), frame) != compared.end();
            const bool skipped = frame >= skippedFrom && frame < skippedFrom + 100;
            if (!wanted && (skipped || drawing != Drawing::EveryFrame))
                continue;
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            planet.Draw();
            if (wanted)
                frames.push_back(gl.ReadBack());
        }
        return frames;
    };
    const std::vector<std::vector<unsigned char>> accumulated = run(Drawing::EveryFrame);
    const std::vector<std::vector<unsigned char>> now = run(Drawing::OnlyCompared);
    const std::vector<std::vector<unsigned char>> direct = run(Drawing::EverySpot);
    ASSERT_EQ(accumulated.size(), compared.size());
    ASSERT_EQ(now.size(), compared.size());
    ASSERT_EQ(direct.size(), compared.size());
    for (std::size_t i = 0; i < compared.size(); ++i) {
        EXPECT_EQ(Compare(accumulated[i], now[i]).differing, 0u) << "frame " << compared[i];
        // Each spot drawn on its own may sample a rare texel a little otherwise, its
        // outline being cut to its level.
        const FrameDifference difference = Compare(accumulated[i], direct[i]);
        EXPECT_LE(difference.largest, 1) << "frame " << compared[i];
        EXPECT_LT(difference.differing * 1000, direct[i].size()) << "frame " << compared[i];
        const std::size_t lit = static_cast<std::size_t>(
            std::count_if(direct[i].begin(), direct[i].end(), [](unsigned char v) { return v > 0; }));
        EXPECT_GT(lit * 20, direct[i].size()) << "frame " << compared[i] << ": the cloud is missing";
        std::printf("frame %d: %zu of %zu channel values differ from every spot drawn\n", compared[i],
                    difference.differing, direct[i].size());
    }
}

// The kept picture of backdrop, cloud and planet, redrawn frame after frame only around
// the spots whose level changed, is exactly the one drawn whole from the same state.
TEST_F(BackdropXvfbTest, KeptDistantViewIsTheOneDrawnWhole)
{
    const GLTestContext& gl = *context_;
    const std::vector<int> compared = {120, 700, 1300};
    std::srand(778);
    Horizon horizon;
    FormlessPlanet planet;
    DistantView kept(horizon, planet);
    int partialFrames = 0;
    for (int frame = 1; frame <= compared.back(); ++frame) {
        planet.Update(16);
        planet.DrawOffscreen();
        int boxes[FormlessPlanet::kMaxChangedBoxes][4];
        bool whole = false;
        if (planet.CloudChanges(boxes, &whole) > 0)
            ++partialFrames;
        ASSERT_TRUE(kept.Update()) << "frame " << frame;
        if (std::find(compared.begin(), compared.end(), frame) == compared.end())
            continue;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        kept.Draw();
        const std::vector<unsigned char> updated = gl.ReadBack();
        DistantView fresh(horizon, planet);
        ASSERT_TRUE(fresh.Update());
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        fresh.Draw();
        const FrameDifference difference = Compare(updated, gl.ReadBack());
        EXPECT_EQ(difference.differing, 0u) << "frame " << frame << ", by at most " << difference.largest;
    }
    // Most frames change a few spots, not the whole cloud.
    EXPECT_GT(partialFrames * 2, compared.back());
}

TEST_F(BackdropXvfbTest, MissingPlanetPictureLeavesItNotReady)
{
    const std::size_t before = LogText().size();
    GLuint firstName = 0;
    glGenTextures(1, &firstName);
    FormlessPlanet planet(9999);
    EXPECT_FALSE(planet.IsReady());
    EXPECT_EQ(planet.Cloud().Count(), 0u);
    EXPECT_EQ(LogText().substr(before), "   Notify : Start initialization for the formless planet\n");
    // The glow's two textures (one for magnified spots) were made before the picture
    // was looked for; nothing after them.
    GLuint nextName = 0;
    glGenTextures(1, &nextName);
    EXPECT_EQ(nextName, firstName + 3);
}
