#include "app/RenderThread.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "app/ApplicationState.h"
#include "app/AutoResetEvent.h"
#include "app/FramePacer.h"
#include "app/ProcessObjects.h"
#include "app/ScreenSaverHost.h"
#include "Version.h"
#include "platform/Clock.h"
#include "platform/GLBinding.h"
#include "platform/OpenGL.h"
#include "render/FrameFences.h"
#include "render/SceneBuffer.h"
#include "render/SceneView.h"
#include "scene/DistantView.h"
#include "scene/FlowersHolder.h"
#include "scene/FormlessPlanet.h"
#include "scene/Horizon.h"
#include "scene/TentaclesHolder.h"
#include "scene/WingedCreature.h"
#include "sound/SceneSoundClass.h"
#include "sound/SoundManager.h"

ApplicationState TheApplicationState;

namespace {

const char* const kInitializationFailed = "Error of initialization";

// How long closing waits for the render thread to tear down. A thread held up longer
// (a driver or decoder that does not return) must not keep the user's desktop locked,
// and a process asked to stop by the system must be gone within 2 s.
constexpr unsigned kRenderThreadStopLimitMs = 1500;

// Allocates and constructs one scene object, storing it at once so that teardown
// finds it even when it is not ready.
template <typename T>
bool BuildSceneObject(T*& slot, const char* failureRecord)
{
    slot = new (std::nothrow) T();
    if (slot != nullptr && slot->IsReady())
        return true;
    if (failureRecord != nullptr)
        TheEventLog.WriteError(1, failureRecord, kInitializationFailed);
    return false;
}

// The viewport follows the window: a preview or daemon window that is resized, a screen
// whose resolution changes. The projection keeps its 4:3 aspect whatever the shape, so
// the scene is stretched to fill the window as at the start. An empty window (minimised)
// keeps the last viewport and the buffers made for it.
void FollowWindowSize(platform::GLSurface* surface, int* viewWidth, int* viewHeight)
{
    int width = 0;
    int height = 0;
    platform::DrawableSize(surface, &width, &height);
    if (width <= 0 || height <= 0 || (width == *viewWidth && height == *viewHeight))
        return;
    glViewport(0, 0, width, height);
    *viewWidth = width;
    *viewHeight = height;
}

// A failed start: the kept user text in a box, then the window goes.
void ReportFailureAndClose(platform::WindowHandle window)
{
    if (TheEventLog.UserErrorText() != nullptr)
        ShowFailureText(TheEventLog.UserErrorText());
    platform::DestroySaverWindow(window);
}

// Null when the system cannot start one (threads or memory exhausted).
std::thread* StartRenderThread(platform::WindowHandle window)
{
    // The library reports a failed start only by throwing.
    try {
        return new std::thread(RenderThreadMain, window);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

std::intptr_t ScreenSaverProc(const platform::WindowEvent& event)
{
    ApplicationState& state = TheApplicationState;
    switch (event.message) {
    case platform::WindowMessage::Create:
        TheEventLog.Write(0, "Run looping thread");
        state.finishedEvent = new AutoResetEvent();
        state.renderThread = StartRenderThread(event.window);
        if (state.renderThread == nullptr) {
            // Nothing to wait for: the start fails as a failed initialisation does.
            TheEventLog.WriteError(1, "Looping thread can not be started", kInitializationFailed);
            state.finishedEvent->Set();
            ReportFailureAndClose(event.window);
            return 0;
        }
        state.renderThread->detach();
        break;
    case platform::WindowMessage::Destroy:
        if (state.stopFlag.load() == 0)
            state.stopFlag.store(1);
        if (state.finishedEvent != nullptr && !state.finishedEvent->WaitFor(kRenderThreadStopLimitMs)) {
            // Nothing is lost: a saver run writes no settings.
            TheEventLog.Write(1, "Render thread has not finished in time, the process is ended");
            std::fflush(nullptr);
            std::_Exit(0);
        }
        TheEventLog.WriteValue(0, "FPS = %g", TheFpsMeter.AverageFps());
        break;
    case platform::WindowMessage::User:
        ReportFailureAndClose(event.window);
        break;
    default:
        break;
    }
    return DefScreenSaverProc(event);
}

int RenderThreadMain(platform::WindowHandle window)
{
    ApplicationState& state = TheApplicationState;
    TheEventLog.Write(0, "Zentharis screensaver");
    TheEventLog.Write(0, "Version: " ZEN_VERSION);
    const bool overlayOn = EnableFPS.Value() != 0;
    std::uint32_t previousTick = platform::TickCount();
    TheEventLog.Write(0, "Start common initialization");

    if (InitVideo(window) != 0) {
        TheEventLog.WriteError(0, "Error of common initialization", kInitializationFailed);
    } else {
        // Where the driver ignores the swap interval, the pacer holds the frames to the
        // display's rate instead.
        FramePacer pacer(EnableVSync.Value() != 0, platform::DisplayRefreshRate(state.surface));
        int viewWidth = 0;
        int viewHeight = 0;
        while (state.stopFlag.load(std::memory_order_relaxed) == 0) {
            const std::uint32_t tick = platform::TickCount();
            const std::uint32_t elapsed = tick - previousTick;  // unsigned: right across the wrap
            previousTick = tick;
            FollowWindowSize(state.surface, &viewWidth, &viewHeight);
            RenderFrame(elapsed);
            if (overlayOn)
                TheFpsMeter.DrawOverlay(state.surface);
            TheFrameFences.EndPass();
            platform::SwapGLBuffers(state.surface);
            TheFrameFences.FrameShown();
            const std::uint32_t pause = pacer.PauseAfterSwap(platform::TickCount());
            if (pause > 0)
                platform::SleepMilliseconds(pause);
        }
    }

    TheEventLog.Write(0, "Start common uninstall");
    DestroyScene();
    TheEventLog.WriteUnlistedPictureCount();
    if (state.hasGLContext)
        TheFrameFences.Release();
    if (state.hasGLContext)
        platform::DeleteGLContext(state.surface);
    state.hasGLContext = false;
    platform::CloseGLSurface(state.surface);
    state.surface = nullptr;
    delete state.soundManager;
    state.soundManager = nullptr;
    TheEventLog.Write(0, "Common uninstall has finished properly");
    state.finishedEvent->Set();

    if (state.stopFlag.load() == 0)
        platform::SendUserMessage(window);
    return 0;
}

int InitVideo(platform::WindowHandle window)
{
    ApplicationState& state = TheApplicationState;
    std::srand(static_cast<unsigned>(platform::CalendarSeconds()));

    state.soundManager = new (std::nothrow) SoundManager(window);
    if (state.soundManager == nullptr || !state.soundManager->IsReady()) {
        TheEventLog.WriteError(1, "SoundManager initialization is failed",
                               "Sorry, this application requires DirectX 8.0 or later");
        return 1;
    }
    TheEventLog.Write(0, "SoundManager has been created");
    if (state.soundManager->IsSilent())
        TheEventLog.Write(0, "No sound device is available, the saver runs silently");

    state.window = window;
    state.surface = platform::OpenGLSurface(window);
    if (state.surface == nullptr || !platform::CreateGLContext(state.surface))
        return 1;
    state.hasGLContext = true;
    TheEventLog.Write(0, "Context for OpenGL has been created");
    platform::MakeGLContextCurrent(state.surface);

    if (glewInit() != GLEW_OK)
        return 1;
    TheEventLog.Write(0, "GLEW initialized");
    if (!GLEW_VERSION_2_0) {
        TheEventLog.WriteError(1, "Can not initialize OpenGL 2.0", "Sorry, this application requires OpenGL 2.0");
        return 1;
    }
    TheEventLog.Write(0, "OpenGL 2.0 is found");
    if (!platform::HasSwapControl(state.surface))
        return 1;
    TheEventLog.Write(0, "WGLEW_EXT_swap_control extension is found");

    SetSceneView();

    platform::SetSwapInterval(state.surface, EnableVSync.Value());
    TheEventLog.Write(0, "VSYNC has been setted properly");
    TheEventLog.Write(0, "Video initialization has finished successfully");
    TheEventLog.Write(0, "Start scene initialization");

    if (BuildScene() != 0)
        return 1;
    TheEventLog.Write(0, "Scene has been initialized successfully");
    return 0;
}

int BuildScene()
{
    // The first object that is not ready stops the construction; teardown frees what exists.
    ApplicationState& state = TheApplicationState;
    // The scene sound writes its own error record.
    if (!BuildSceneObject(state.sceneSound, nullptr))
        return 1;
    // The creature's failure shows only in what its sound wrote.
    if (!BuildSceneObject(state.creature, nullptr))
        return 1;
    if (!BuildSceneObject(state.horizon, "Horizon initialization is failed"))
        return 1;
    if (!BuildSceneObject(state.flowers, "FlowersHolder initialization is failed"))
        return 1;
    if (!BuildSceneObject(state.tentacles, "TentaclesHolder initialization is failed"))
        return 1;
    if (!BuildSceneObject(state.planet, "FormlessPlanet initialization is failed"))
        return 1;
    state.distantView = new (std::nothrow) DistantView(*state.horizon, *state.planet);
    state.sceneBuffer = new (std::nothrow) SceneBuffer();
    return state.distantView != nullptr && state.sceneBuffer != nullptr ? 0 : 1;
}

void RenderFrame(std::uint32_t elapsedMs)
{
    ApplicationState& state = TheApplicationState;
    state.sceneSound->Update(elapsedMs);
    // The planet's update draws nothing and takes its random draws before the flowers',
    // as it always did; its offscreen drawing goes first so that the window's drawing
    // is one piece from the clear to the swap.
    state.planet->Update(static_cast<std::int32_t>(elapsedMs));
    state.planet->DrawOffscreen();
    const bool distantKept = state.distantView->Update();
    const bool offscreen = state.sceneBuffer->BeginFlatDrawing();
    // The kept picture opens the pass and covers every pixel, so no colour clear is
    // needed. A software renderer ends the pass it is in to sample a buffer drawn into
    // recently; sampled first, there is no pass yet to end.
    if (distantKept) {
        if (!state.sceneBuffer->CopyPicture(state.distantView->Picture()))
            state.distantView->Draw();
    } else {
        if (!state.horizon->DrawKeptCopy()) {
            glClear(GL_COLOR_BUFFER_BIT);
            state.horizon->Draw();
        }
        state.planet->Draw();
    }
    if (!offscreen)
        glClear(GL_DEPTH_BUFFER_BIT);
    state.sceneBuffer->BeginSolidDrawing();
    state.flowers->Update(static_cast<std::int32_t>(elapsedMs));
    state.flowers->Draw();
    state.creature->UpdateAndDraw(static_cast<std::int32_t>(elapsedMs));
    state.tentacles->Update(elapsedMs);
    state.tentacles->Draw();
    state.sceneBuffer->EndAndShow();
}

void DestroyScene()
{
    // A fixed order; objects never built are null, and deleting them does nothing.
    ApplicationState& state = TheApplicationState;
    delete state.horizon;
    delete state.flowers;
    delete state.tentacles;
    delete state.planet;
    delete state.sceneSound;
    delete state.creature;
    delete state.distantView;
    delete state.sceneBuffer;
    state.distantView = nullptr;
    state.sceneBuffer = nullptr;
}
