// The creature drawn on a GL context of the test's own: readiness with and without its
// sound, the colours of its parts in a close view, and pictures of it in flight.
#include "scene/WingedCreature.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ApplicationState.h"
#include "app/ProcessObjects.h"
#include "sound/SoundManager.h"
#include "tests/render/GLTestContext.h"
#include "tests/support/TestSupport.h"

namespace {

const bool kNullOutput = setenv("ALSOFT_DRIVERS", "null", 0) == 0;

const int kWidth = 640;
const int kHeight = 480;
const float kBackground[3] = {0.15f, 0.15f, 0.25f};

class WingedCreatureXvfbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        (void)kNullOutput;
        context_ = new GLTestContext(kWidth, kHeight);
        folder_ = new std::string(MakeTestFolder("WingedCreatureXvfbTest"));
    }
    static void TearDownTestSuite()
    {
        delete context_;
        context_ = nullptr;
        delete folder_;
    }
    void SetUp() override
    {
        ASSERT_TRUE(context_->IsReady()) << "no GL 2.0 context on the display";
        std::srand(7);
    }
    void TearDown() override
    {
        delete TheApplicationState.soundManager;
        TheApplicationState.soundManager = nullptr;
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0.0, 0.0, 4.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    }

    static void Clear()
    {
        glClearColor(kBackground[0], kBackground[1], kBackground[2], 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    static void Save(const std::string& name)
    {
        EXPECT_TRUE(context_->SavePpm(*folder_ + "/" + name + ".ppm"));
    }

    static GLTestContext* context_;
    static std::string* folder_;
};

GLTestContext* WingedCreatureXvfbTest::context_ = nullptr;
std::string* WingedCreatureXvfbTest::folder_ = nullptr;

struct Rgb {
    int r, g, b;
};

// Pixels of the picture whose colour is within `tolerance` of some colour that `near`
// accepts.
template <typename Predicate>
int CountPixels(const std::vector<unsigned char>& rows, Predicate near)
{
    int count = 0;
    for (std::size_t i = 0; i + 2 < rows.size(); i += 3) {
        if (near(Rgb{rows[i], rows[i + 1], rows[i + 2]}))
            ++count;
    }
    return count;
}

bool IsBackground(const Rgb& c)
{
    return std::abs(c.r - 38) <= 3 && std::abs(c.g - 38) <= 3 && std::abs(c.b - 64) <= 3;
}

TEST_F(WingedCreatureXvfbTest, WithoutItsSoundItIsNotReadyAndGoesSafely)
{
    TheApplicationState.soundManager = nullptr;
    WingedCreature* creature = new WingedCreature();
    EXPECT_FALSE(creature->IsReady());
    EXPECT_FALSE(creature->Sound().IsReady());
    ASSERT_NE(TheEventLog.UserErrorText(), nullptr);
    EXPECT_STREQ(TheEventLog.UserErrorText(), "Error of initialization");
    // Body, flight and wings exist all the same.
    EXPECT_EQ(creature->Flight().State(), CreatureFlight::FlyToTarget);
    EXPECT_NE(creature->Wing(0).Sparks().GlowTexture(), 0u);
    EXPECT_NE(creature->Wing(1).Sparks().GlowTexture(), creature->Wing(0).Sparks().GlowTexture());
    delete creature;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(WingedCreatureXvfbTest, CloseViewsShowScalesBellyEyesAndHorns)
{
    TheApplicationState.soundManager = new SoundManager(0);
    ASSERT_TRUE(TheApplicationState.soundManager->IsReady());
    WingedCreature creature;
    ASSERT_TRUE(creature.IsReady());
    for (int k = 0; k < CreatureModelParts; ++k) {
        EXPECT_NE(creature.Parts()[k].vertexBuffer, 0u);
        EXPECT_NE(creature.Parts()[k].indexBuffer, 0u);
    }

    // The head is at (0, 2, 0) heading for -z, the tail towards the viewer; look at it
    // from three sides. Frames of 0 ms leave it in place.
    struct View {
        const char* name;
        double eye[3];
    };
    const View views[] = {
        {"close-side", {1.6, 2.3, 0.45}},
        {"close-front", {0.9, 2.4, -0.9}},
        {"close-below", {-1.2, 1.3, 0.2}},
    };
    int eyePixels = 0, hornPixels = 0, scalePixels = 0, bellyPixels = 0;
    for (const View& view : views) {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(view.eye[0], view.eye[1], view.eye[2], 0.0, 2.0, 0.45, 0.0, 1.0, 0.0);
        Clear();
        creature.UpdateAndDraw(0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        const std::vector<unsigned char> rows = context_->ReadBack();
        Save(view.name);
        const int drawn = CountPixels(rows, [](const Rgb& c) { return !IsBackground(c); });
        EXPECT_GT(drawn, kWidth * kHeight / 20) << view.name;
        // Eyes: bright turquoise; horns: neutral grey; scales: blue over green; belly: green.
        eyePixels += CountPixels(rows, [](const Rgb& c) { return c.g > 150 && c.r < 90 && c.b > 90 && c.b < c.g; });
        hornPixels += CountPixels(rows, [](const Rgb& c) {
            return std::abs(c.r - c.g) < 6 && std::abs(c.g - c.b) < 6 && c.r > 60 && c.r < 200;
        });
        scalePixels += CountPixels(rows, [](const Rgb& c) { return c.b > c.g + 30 && c.b > 80; });
        bellyPixels += CountPixels(rows, [](const Rgb& c) { return c.g > c.r + 40 && c.g > c.b + 40; });
    }
    EXPECT_GT(eyePixels, 200);
    EXPECT_GT(hornPixels, 200);
    EXPECT_GT(scalePixels, 2000);
    EXPECT_GT(bellyPixels, 2000);
}

TEST_F(WingedCreatureXvfbTest, InFlightItStaysDrawnWithWingsAndSparks)
{
    TheApplicationState.soundManager = new SoundManager(0);
    WingedCreature creature;
    ASSERT_TRUE(creature.IsReady());
    const int shots[] = {60, 150, 300, 600};
    int shot = 0;
    int framesWithSparkColour = 0;
    for (int frame = 1; frame <= 600; ++frame) {
        Clear();
        creature.UpdateAndDraw(16 + frame % 2);
        if (frame == shots[shot]) {
            const std::vector<unsigned char> rows = context_->ReadBack();
            Save("flight-" + std::to_string(frame));
            // Sparks: orange, red well above green, no blue.
            if (CountPixels(rows, [](const Rgb& c) { return c.r > c.g + 40 && c.r > 110 && c.b < 90; }) > 5)
                ++framesWithSparkColour;
            ++shot;
        }
        context_->Swap();
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_GE(framesWithSparkColour, 2);
    EXPECT_GT(creature.Wing(0).Sparks().Sparks().size(), 20u);
}

TEST_F(WingedCreatureXvfbTest, HalfAnHourOfFlightStaysInTheSceneWithBoundedSparks)
{
    TheApplicationState.soundManager = new SoundManager(0);
    WingedCreature creature;
    ASSERT_TRUE(creature.IsReady());
    const int frames = 30 * 60 * 60;  // 30 minutes at 60 frames per second
    int visits[5] = {0, 0, 0, 0, 0};
    std::size_t mostSparks = 0;
    double farthest = -1e9;
    for (int frame = 0; frame < frames; ++frame) {
        creature.Step(frame % 3 == 0 ? 16 : 17);
        const Vector3& head = creature.Body().Node(0).position;
        ASSERT_TRUE(std::isfinite(head.x) && std::isfinite(head.y) && std::isfinite(head.z)) << frame;
        ASSERT_LT(std::fabs(head.x), 8.0) << frame;
        ASSERT_LT(std::fabs(head.y), 6.0) << frame;
        ASSERT_GT(head.z, -20.0) << frame;
        ASSERT_LT(head.z, 6.0) << frame;
        farthest = std::max(farthest, -head.z);
        const int state = creature.Flight().State();
        ASSERT_GE(state, 0);
        ASSERT_LE(state, 4);
        ++visits[state];
        for (int k = 0; k < 2; ++k) {
            const std::size_t count = creature.Wing(k).Sparks().Sparks().size();
            mostSparks = std::max(mostSparks, count);
            ASSERT_LE(count, WingSparks::kCapacity);
        }
        for (int i = 1; i < WingedCreature::kBodyNodes; ++i) {
            const double spacing = (creature.Body().Node(i).position - creature.Body().Node(i - 1).position).Length();
            ASSERT_NEAR(spacing, 0.05, 1e-6) << frame;
        }
    }
    // About 8 sparks a second live some 7 to 9 seconds.
    EXPECT_LT(mostSparks, 120u);
    EXPECT_GT(mostSparks, 30u);
    EXPECT_GT(farthest, 4.0) << "it roams into the depth";
    for (int state = 0; state < 5; ++state)
        EXPECT_GT(visits[state], 0) << "state " << state << " never visited";
}

}  // namespace
