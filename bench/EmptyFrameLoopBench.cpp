// Frames per second of the saver's frame loop with nothing in the scene: clear, swap
// (interval 0), and optionally the FPS overlay, through the platform's own window and
// OpenGL binding on a full-screen saver window. Needs a display: bench/frame-rate.sh
// runs it under Xvfb at 1024x768.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/GLBinding.h"
#include "platform/OpenGL.h"
#include "platform/SaverWindow.h"

namespace {

std::mutex windowMutex;
std::condition_variable windowChanged;
platform::WindowHandle saverWindow = 0;
bool windowLoopEnded = false;

std::intptr_t BenchWindowProc(const platform::WindowEvent& event)
{
    if (event.message == platform::WindowMessage::Create) {
        std::lock_guard<std::mutex> lock(windowMutex);
        saverWindow = event.window;
        windowChanged.notify_all();
    }
    return platform::DefaultWindowProcedure(event);
}

// The window runs on a thread of its own; this thread draws, as the render thread does.
void RunFrameLoop(benchmark::State& state, bool overlay)
{
    windowLoopEnded = false;
    saverWindow = 0;
    std::thread windowThread([] {
        platform::RunSaverWindow(0, BenchWindowProc);
        std::lock_guard<std::mutex> lock(windowMutex);
        windowLoopEnded = true;
        windowChanged.notify_all();
    });
    platform::WindowHandle window = 0;
    {
        std::unique_lock<std::mutex> lock(windowMutex);
        windowChanged.wait(lock, [] { return saverWindow != 0 || windowLoopEnded; });
        window = saverWindow;
    }
    platform::GLSurface* surface = window != 0 ? platform::OpenGLSurface(window) : nullptr;
    if (surface == nullptr || !platform::CreateGLContext(surface)) {
        state.SkipWithError("no saver window or OpenGL context (is there a display?)");
    } else {
        platform::MakeGLContextCurrent(surface);
        glewInit();
        platform::SetSwapInterval(surface, 0);
        int width = 0;
        int height = 0;
        platform::DisplaySize(surface, &width, &height);
        for (int frame = 0; frame < 30; ++frame) {  // the first frames size the buffers
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            platform::SwapGLBuffers(surface);
        }
        for (auto _ : state) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            if (overlay)
                platform::DrawOverlayText(surface, "FPS : 1234.56", width / 10, height / 10);
            platform::SwapGLBuffers(surface);
        }
        glFinish();
        state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
        state.counters["width"] = width;
        state.counters["height"] = height;
        platform::DeleteGLContext(surface);
    }
    platform::CloseGLSurface(surface);
    if (window != 0)
        platform::PostCloseMessage(window);
    windowThread.join();
}

void BM_EmptyFrameLoop(benchmark::State& state) { RunFrameLoop(state, false); }
void BM_EmptyFrameLoopWithOverlay(benchmark::State& state) { RunFrameLoop(state, true); }

}  // namespace

BENCHMARK(BM_EmptyFrameLoop)->MinTime(3.0)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EmptyFrameLoopWithOverlay)->MinTime(3.0)->UseRealTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
