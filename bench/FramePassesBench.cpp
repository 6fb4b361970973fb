// Where a frame's processor time goes, pass by pass: the whole scene at a fixed seed and
// fixed frame times, each pass of the saver's frame followed by glFinish, so that the
// process's processor time over it (the renderer's worker threads included) is the
// pass's own. The window has no depth buffer, as the saver's has none. Needs a display:
//   xvfb-run -s "-screen 0 1920x1080x24 -noreset" build/bench/FramePassesBench [WxH] [frames] [whole]
// With "whole" the saver's own frame runs unbroken instead, as fast as it goes: the
// same frames every run, so that two builds compare on equal work (frames a second
// and processor time a frame).
// The first 600 frames (ten seconds: shaders compiled, the cloud grown) are not timed.
// What the process spends meanwhile without drawing (the sound mixer, the picture loader)
// is measured over a pause of the same length and taken off each pass in proportion to
// its duration.
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ApplicationState.h"
#include "app/ProcessObjects.h"
#include "app/RenderThread.h"
#include "render/FrameFences.h"
#include "render/SceneBuffer.h"
#include "scene/DistantView.h"
#include "scene/FlowersHolder.h"
#include "scene/FormlessPlanet.h"
#include "scene/Horizon.h"
#include "scene/TentaclesHolder.h"
#include "scene/WingedCreature.h"
#include "sound/SceneSoundClass.h"
#include "sound/SoundManager.h"
#include "tests/render/GLTestContext.h"

namespace {

double Seconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

enum Pass {
    kUpdates,
    kKeptPicture,
    kPictureIntoFrame,
    kDepthClear,
    kFlowers,
    kCreature,
    kTentacle,
    kFrameIntoWindow,
    kSwap,
    kPassCount
};

const char* const kPassNames[kPassCount] = {
    "scene updates, sound cues",
    "cloud changes, kept picture",
    "kept picture into the frame",
    "depth clear",
    "flowers",
    "creature, wings, sparks",
    "tentacle and disc",
    "frame into the window",
    "swap",
};

std::uint32_t FrameTime(int frame) { return frame % 3 == 0 ? 17u : 16u; }

int RunWholeFrames(GLTestContext& gl, int warmUp, int frames)
{
    double cpuStart = 0.0;
    double wallStart = 0.0;
    for (int frame = 0; frame < warmUp + frames; ++frame) {
        if (frame == warmUp) {
            glFinish();
            cpuStart = Seconds(CLOCK_PROCESS_CPUTIME_ID);
            wallStart = Seconds(CLOCK_MONOTONIC);
        }
        RenderFrame(FrameTime(frame));
        TheFrameFences.EndPass();
        gl.Swap();
        TheFrameFences.FrameShown();
    }
    glFinish();
    const double wall = Seconds(CLOCK_MONOTONIC) - wallStart;
    const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
    std::printf("%d frames after %d, whole: %.1f fps, %.2f ms a frame, processor %.2f ms a frame\n", frames,
                warmUp, frames / wall, wall * 1000.0 / frames, cpu * 1000.0 / frames);
    DestroyScene();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int width = 1920;
    int height = 1080;
    int frames = 1200;
    if (argc > 1)
        std::sscanf(argv[1], "%dx%d", &width, &height);
    if (argc > 2)
        frames = std::atoi(argv[2]);
    const bool wholeFrames = argc > 3 && std::string(argv[3]) == "whole";
    GLTestContext gl(width, height, false);
    if (!gl.IsReady()) {
        std::fprintf(stderr, "no OpenGL context (is there a display?)\n");
        return 1;
    }
    ApplicationState& state = TheApplicationState;
    state.soundManager = new SoundManager(0);
    SlideshowPictures.GetEntries().push_back(
        PictureEntry{std::string(ZEN_BUILD_DIR) + "/sample-pictures", PictureEntry::Kind::Folder});
    std::srand(20240611);
    if (BuildScene() != 0) {
        std::fprintf(stderr, "the scene cannot be built\n");
        return 1;
    }
    state.tentacles->SetWaitForPictures(true);

    const int warmUp = 600;
    if (wholeFrames)
        return RunWholeFrames(gl, warmUp, frames);
    double spent[kPassCount] = {};
    double lasted[kPassCount] = {};
    double drawingSeconds = 0.0;
    for (int frame = 0; frame < warmUp + frames; ++frame) {
        const bool timed = frame >= warmUp;
        const std::uint32_t elapsed = FrameTime(frame);
        int pass = 0;
        double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID);
        double wall = Seconds(CLOCK_MONOTONIC);
        const double frameStart = wall;
        auto done = [&] {
            glFinish();
            const double cpuNow = Seconds(CLOCK_PROCESS_CPUTIME_ID);
            const double wallNow = Seconds(CLOCK_MONOTONIC);
            if (timed) {
                spent[pass] += cpuNow - cpu;
                lasted[pass] += wallNow - wall;
            }
            cpu = cpuNow;
            wall = wallNow;
            ++pass;
        };
        // The passes of RenderFrame, in its order.
        state.sceneSound->Update(elapsed);
        state.planet->Update(static_cast<std::int32_t>(elapsed));
        state.flowers->Update(static_cast<std::int32_t>(elapsed));
        state.tentacles->Update(elapsed);
        done();
        state.planet->DrawOffscreen();
        const bool kept = state.distantView->Update();
        done();
        const bool offscreen = state.sceneBuffer->BeginFlatDrawing();
        if (!kept || !offscreen || !state.sceneBuffer->CopyPicture(state.distantView->Picture())) {
            std::fprintf(stderr, "the frame is not drawn the saver's way on this driver\n");
            return 1;
        }
        done();
        state.sceneBuffer->BeginSolidDrawing();
        done();
        state.flowers->Draw();
        done();
        state.creature->UpdateAndDraw(static_cast<std::int32_t>(elapsed));
        done();
        state.tentacles->Draw();
        done();
        state.sceneBuffer->EndAndShow();
        done();
        TheFrameFences.EndPass();
        gl.Swap();
        TheFrameFences.FrameShown();
        done();
        if (timed)
            drawingSeconds += wall - frameStart;
    }

    // The process without drawing, for as long as the timed frames took.
    const double idleCpu = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    const double idleWall = Seconds(CLOCK_MONOTONIC);
    timespec pause{static_cast<time_t>(drawingSeconds), static_cast<long>((drawingSeconds - static_cast<long>(drawingSeconds)) * 1e9)};
    nanosleep(&pause, nullptr);
    const double backgroundShare =
        (Seconds(CLOCK_PROCESS_CPUTIME_ID) - idleCpu) / (Seconds(CLOCK_MONOTONIC) - idleWall);

    std::printf("%dx%d, %d frames after %d, processor time a frame (ms):\n", width, height, frames, warmUp);
    double total = 0.0;
    for (int pass = 0; pass < kPassCount; ++pass) {
        const double ms = (spent[pass] - lasted[pass] * backgroundShare) * 1000.0 / frames;
        total += ms;
        std::printf("  %-30s %6.2f\n", kPassNames[pass], ms);
    }
    std::printf("  %-30s %6.2f\n", "all passes", total);
    std::printf("  %-30s %6.2f (%.1f %% of one core, drawing or not)\n", "sound, loader, other threads",
                backgroundShare * drawingSeconds * 1000.0 / frames, backgroundShare * 100.0);
    DestroyScene();
    return 0;
}
