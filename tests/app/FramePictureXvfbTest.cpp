// The whole scene in a deterministic frame mode: a fixed seed and a fixed sequence of
// frame times, so that frame N is the same picture on every run. Frames before, during
// and after the first picture disc are drawn by the saver's own frame (RenderFrame) and
// by a twin of the first way the backdrop and the planet were drawn (16-bit backdrop
// texels, every glow spot a whole square with the depth test on), and must agree within
// one level per channel. The frames are left in build/test-work/frame-picture/.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/ApplicationState.h"
#include "app/ProcessObjects.h"
#include "app/RenderThread.h"
#include "platform/BitmapResources.h"
#include "render/Texture.h"
#include "render/VectorMath.h"
#include "render/SceneBuffer.h"
#include "scene/FlowersHolder.h"
#include "scene/FormlessPlanet.h"
#include "scene/Horizon.h"
#include "scene/TentaclesHolder.h"
#include "scene/WingedCreature.h"
#include "sound/SceneSoundClass.h"
#include "sound/SoundManager.h"
#include "tests/render/GLTestContext.h"
#include "tests/support/TestSupport.h"

namespace {

const unsigned kSeed = 20240611;
const int kLastFrame = 3660;  // about a minute at the frame times below

// About 61 frames a second: 17, 16, 16, 17, 16, 16, ...
std::uint32_t FrameTime(int frame) { return frame % 3 == 0 ? 17u : 16u; }

// The backdrop and the planet as they were first drawn, from the same resources.
class FirstDrawing {
public:
    FirstDrawing()
    {
        platform::BgrxBitmap backdrop;
        platform::BgrxBitmap planet;
        if (!platform::LoadBitmapResource(Horizon::kBackdropBitmapId, &backdrop) ||
            !platform::LoadBitmapResource(FormlessPlanet::kPlanetBitmapId, &planet))
            return;
        std::vector<std::uint8_t> pixels(512 * 512 * 4, 0);
        std::memcpy(pixels.data(), backdrop.pixels.data(), std::min(pixels.size(), backdrop.pixels.size()));
        backdrop_ = CreateTexture(GL_CLAMP_TO_EDGE, GL_LINEAR, GL_LINEAR,
                                  {GL_RGB16, 512, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data()});

        std::vector<float> glow(64 * 64);
        for (int row = 0; row < 64; ++row)
            for (int column = 0; column < 64; ++column)
                glow[row * 64 + column] = static_cast<float>(FormlessPlanet::GlowTexel(row, column));
        glow_ = CreateTexture(GL_REPEAT, GL_LINEAR, GL_NEAREST, {GL_ALPHA8, 64, GL_ALPHA, GL_FLOAT, glow.data()});

        std::vector<std::uint8_t> disc(128 * 128 * 4, 0);
        std::memcpy(disc.data(), planet.pixels.data(), std::min(disc.size(), planet.pixels.size()));
        for (int row = 0; row < 128; ++row)
            for (int column = 0; column < 128; ++column)
                disc[(row * 128 + column) * 4 + 3] = FormlessPlanet::PlanetMaskAlpha(row, column);
        planet_ = CreateTexture(GL_REPEAT, GL_LINEAR, GL_LINEAR,
                                {GL_RGBA16, 128, GL_BGRA, GL_UNSIGNED_BYTE, disc.data()});
    }

    bool IsReady() const { return backdrop_ != 0 && glow_ != 0 && planet_ != 0; }

    void DrawBackdrop() const
    {
        glDisable(GL_DEPTH_TEST);
        glDepthMask(GL_FALSE);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, backdrop_);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glBegin(GL_QUADS);
        glTexCoord2d(0.0, 0.99);
        glVertex3d(-1.0, -0.75, 0.0);
        glTexCoord2d(1.0, 0.99);
        glVertex3d(1.0, -0.75, 0.0);
        glTexCoord2d(1.0, 0.0);
        glVertex3d(1.0, 0.75, 0.0);
        glTexCoord2d(0.0, 0.0);
        glVertex3d(-1.0, 0.75, 0.0);
        glEnd();
        glDisable(GL_TEXTURE_2D);
        glDepthMask(GL_TRUE);
        glEnable(GL_DEPTH_TEST);
    }

    void DrawPlanet(const GlowCloud& cloud) const
    {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glDepthMask(GL_FALSE);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, glow_);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glBegin(GL_QUADS);
        for (const GlowParticle& particle : cloud.Particles()) {
            const double grey = GlowCloud::Brightness(particle) * 0.02;
            glColor3d(grey, grey, grey);
            EmitTexturedSquare(particle.position, particle.size);
        }
        glEnd();
        glBindTexture(GL_TEXTURE_2D, planet_);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBegin(GL_QUADS);
        EmitTexturedSquare(PlanetCentre, 1.0);
        glEnd();
        glDisable(GL_TEXTURE_2D);
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    }

private:
    GLuint backdrop_ = 0;
    GLuint glow_ = 0;
    GLuint planet_ = 0;
};

enum class Drawing { Current, First };

// RenderFrame with the first drawing of the backdrop and the planet in place of today's.
// The solid objects go through the same scene buffer, its depth cleared each frame.
void RenderFirstFrame(std::uint32_t elapsedMs, const FirstDrawing& first)
{
    ApplicationState& state = TheApplicationState;
    state.sceneSound->Update(elapsedMs);
    state.sceneBuffer->BeginFlatDrawing();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    first.DrawBackdrop();
    state.planet->Update(static_cast<std::int32_t>(elapsedMs));
    first.DrawPlanet(state.planet->Cloud());
    state.sceneBuffer->BeginSolidDrawing();
    // The depth cleared every frame, over the range the buffer's first frame gets.
    glDepthRange(0.5, 1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    state.flowers->Update(static_cast<std::int32_t>(elapsedMs));
    state.flowers->Draw();
    state.creature->UpdateAndDraw(static_cast<std::int32_t>(elapsedMs));
    state.tentacles->Update(elapsedMs);
    state.tentacles->Draw();
    state.sceneBuffer->EndAndShow();
}

struct Capture {
    int frame = 0;
    TentacleCycle::TentacleState tentacle = TentacleCycle::Waiting;
    std::size_t spots = 0;
    std::uint64_t fragments = 0;  // fragment-shader runs of the frame; 0 when not counted
    std::vector<unsigned char> rows;
};

// Where the frames are taken: chosen by the run itself from the first disc, or given.
struct CapturePlan {
    bool chooseFrames = false;
    std::vector<int> frames;
};

// One run of the scene from the seed; draws only the captured frames and a few before
// each in full (the others are clipped to one pixel: the scene's state advances all the
// same).
std::vector<Capture> RunScene(const GLTestContext& gl, Drawing drawing, CapturePlan plan, int lastFrame)
{
    ApplicationState& state = TheApplicationState;
    std::vector<Capture> captures;
    std::srand(kSeed);
    const FirstDrawing first;
    if (BuildScene() != 0 || !first.IsReady()) {
        ADD_FAILURE() << "the scene cannot be built";
        return captures;
    }
    // The disc's picture is decoded on a thread of its own: waiting for it keeps the
    // frames the same on a busy machine.
    state.tentacles->SetWaitForPictures(true);
    GLuint query = 0;
    if (GLEW_ARB_pipeline_statistics_query)
        glGenQueries(1, &query);
    const int beforeDisc = 600;  // ten seconds in
    int discShown = -1;
    int discGone = -1;
    for (int frame = 0; frame <= lastFrame; ++frame) {
        bool capture = std::find(plan.frames.begin(), plan.frames.end(), frame) != plan.frames.end();
        if (plan.chooseFrames) {
            const TentaclesHolder& tentacles = *state.tentacles;
            if (discShown < 0 && tentacles.DiscVisible() && tentacles.Alpha() >= 1.0)
                discShown = frame;
            if (discShown >= 0 && discGone < 0 && !tentacles.DiscVisible())
                discGone = frame;
            // The disc fully open a second after it is; three seconds after it has gone.
            capture = frame == beforeDisc || (discShown >= 0 && frame == discShown + 60) ||
                      (discGone >= 0 && frame == discGone + 180);
        }
        // The frames just before a captured one are drawn in full too, so that it is
        // drawn over what they left (the scene buffer's depth is not cleared each frame).
        const auto leadsTo = [frame](int captured) { return captured >= frame && captured - frame <= 8; };
        const bool inFull =
            capture || std::any_of(plan.frames.begin(), plan.frames.end(), leadsTo) ||
            (plan.chooseFrames && (leadsTo(beforeDisc) || (discShown >= 0 && leadsTo(discShown + 60)) ||
                                   (discGone >= 0 && leadsTo(discGone + 180))));
        if (!inFull) {
            glEnable(GL_SCISSOR_TEST);
            glScissor(0, 0, 1, 1);
        }
        const bool count = capture && query != 0;
        if (count)
            glBeginQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB, query);
        if (drawing == Drawing::Current)
            RenderFrame(FrameTime(frame));
        else
            RenderFirstFrame(FrameTime(frame), first);
        if (count)
            glEndQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB);
        glDisable(GL_SCISSOR_TEST);
        if (capture) {
            Capture taken;
            if (count) {
                GLuint64 fragments = 0;
                glGetQueryObjectui64v(query, GL_QUERY_RESULT, &fragments);
                taken.fragments = fragments;
            }
            taken.frame = frame;
            taken.tentacle = state.tentacles->State();
            taken.spots = state.planet->Cloud().Count();
            taken.rows = gl.ReadBack();
            captures.push_back(std::move(taken));
            gl.Swap();
        }
    }
    if (query != 0)
        glDeleteQueries(1, &query);
    DestroyScene();
    state.sceneSound = nullptr;
    state.creature = nullptr;
    state.horizon = nullptr;
    state.flowers = nullptr;
    state.tentacles = nullptr;
    state.planet = nullptr;
    return captures;
}

void SavePpm(const std::string& path, const GLTestContext& gl, const std::vector<unsigned char>& rows)
{
    std::string file = "P6\n" + std::to_string(gl.Width()) + " " + std::to_string(gl.Height()) + "\n255\n";
    file.append(rows.begin(), rows.end());
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr) << path;
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
}

double MeanLevel(const std::vector<unsigned char>& rows)
{
    double sum = 0.0;
    for (unsigned char v : rows)
        sum += v;
    return rows.empty() ? 0.0 : sum / static_cast<double>(rows.size());
}

class FramePictureXvfb : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // ZEN_FRAME_PICTURE_SIZE=WxH runs it at another size (the display must be as large).
        int width = 1024, height = 768;
        if (const char* size = std::getenv("ZEN_FRAME_PICTURE_SIZE"))
            std::sscanf(size, "%dx%d", &width, &height);
        context = new GLTestContext(width, height);
        TheApplicationState.soundManager = new SoundManager(0);
        SlideshowPictures.GetEntries().clear();
        SlideshowPictures.GetEntries().push_back(
            PictureEntry{std::string(ZEN_BUILD_DIR) + "/sample-pictures", PictureEntry::Kind::Folder});
    }
    static void TearDownTestSuite()
    {
        delete TheApplicationState.soundManager;
        TheApplicationState.soundManager = nullptr;
        delete context;
        context = nullptr;
    }
    static GLTestContext* context;
};

GLTestContext* FramePictureXvfb::context = nullptr;

}  // namespace

TEST_F(FramePictureXvfb, FramesAgreeWithTheFirstDrawingBeforeDuringAndAfterADisc)
{
    ASSERT_TRUE(context->IsReady());
    ASSERT_TRUE(TheApplicationState.soundManager->IsReady());
    const char* size = std::getenv("ZEN_FRAME_PICTURE_SIZE");
    const std::string folder = MakeTestFolder(size != nullptr ? "frame-picture-" + std::string(size) : "frame-picture");

    CapturePlan choose;
    choose.chooseFrames = true;
    const std::vector<Capture> first = RunScene(*context, Drawing::First, choose, kLastFrame);
    ASSERT_EQ(first.size(), 3u) << "a disc opened and closed in the first minute";
    EXPECT_NE(first[0].tentacle, TentacleCycle::Showing);
    EXPECT_EQ(first[1].tentacle, TentacleCycle::Showing);
    EXPECT_NE(first[2].tentacle, TentacleCycle::Showing);

    CapturePlan same;
    for (const Capture& taken : first)
        same.frames.push_back(taken.frame);
    const std::vector<Capture> current = RunScene(*context, Drawing::Current, same, same.frames.back());
    ASSERT_EQ(current.size(), first.size());

    for (std::size_t i = 0; i < first.size(); ++i) {
        const Capture& a = first[i];
        const Capture& b = current[i];
        const std::string name = folder + "/frame-" + std::to_string(a.frame);
        SavePpm(name + "-first.ppm", *context, a.rows);
        SavePpm(name + "-current.ppm", *context, b.rows);
        // The same state: the seed and the frame times decide everything.
        EXPECT_EQ(a.tentacle, b.tentacle) << "frame " << a.frame;
        EXPECT_EQ(a.spots, b.spots) << "frame " << a.frame;
        EXPECT_GT(MeanLevel(b.rows), 20.0) << "frame " << a.frame << " is nearly black";
        ASSERT_EQ(a.rows.size(), b.rows.size());
        int largest = 0;
        std::size_t differing = 0;
        for (std::size_t k = 0; k < a.rows.size(); ++k) {
            const int difference = std::abs(int(a.rows[k]) - int(b.rows[k]));
            largest = std::max(largest, difference);
            differing += difference != 0;
        }
        EXPECT_LE(largest, 1) << "frame " << a.frame << ": " << differing << " channel values differ";
        // The same picture for fewer fragments: the cloud's spots shade only where they
        // can change a pixel.
        if (a.fragments != 0) {
            EXPECT_LT(b.fragments * 100, a.fragments * 92) << "frame " << a.frame;
        }
        std::printf("frame %d (%zu spots, tentacle state %d): %zu channel values differ, by at most %d; "
                    "%.2f M fragments, first drawing %.2f M\n",
                    a.frame, b.spots, static_cast<int>(b.tentacle), differing, largest, b.fragments / 1e6,
                    a.fragments / 1e6);
    }

    // Frame N is the same picture on every run.
    const std::vector<Capture> again = RunScene(*context, Drawing::Current, CapturePlan{false, {same.frames[0]}},
                                                same.frames[0]);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_TRUE(again[0].rows == current[0].rows) << "frame " << same.frames[0] << " differs between two runs";
}
