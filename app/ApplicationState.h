#pragma once

#include <atomic>
#include <thread>

#include "platform/GLBinding.h"
#include "platform/SaverWindow.h"

class AutoResetEvent;
class SoundManager;
class SceneSoundClass;
class WingedCreature;
class Horizon;
class FlowersHolder;
class TentaclesHolder;
class FormlessPlanet;
class SceneBuffer;
class DistantView;

// The running saver, shared by the window thread and the render thread. The render
// thread owns and frees every object here.
struct ApplicationState {
    platform::WindowHandle window = 0;
    platform::GLSurface* surface = nullptr;  // the window's drawable
    bool hasGLContext = false;
    // Written once (0 to 1) by the window thread, polled by the render thread.
    std::atomic<int> stopFlag{0};
    AutoResetEvent* finishedEvent = nullptr;
    std::thread* renderThread = nullptr;  // kept only; never joined

    SoundManager* soundManager = nullptr;
    SceneSoundClass* sceneSound = nullptr;
    WingedCreature* creature = nullptr;
    Horizon* horizon = nullptr;
    FlowersHolder* flowers = nullptr;
    TentaclesHolder* tentacles = nullptr;
    FormlessPlanet* planet = nullptr;
    DistantView* distantView = nullptr;
    SceneBuffer* sceneBuffer = nullptr;
};

extern ApplicationState TheApplicationState;
