#pragma once

#include <cstdint>

#include "platform/SaverWindow.h"

// The program's window procedure: starts the render thread on Create, stops it on
// Destroy, reports an initialisation failure on User, then applies the host's default
// handling.
std::intptr_t ScreenSaverProc(const platform::WindowEvent& event);

// The render thread's routine; returns 0.
int RenderThreadMain(platform::WindowHandle window);

// 0 on success, 1 on failure.
int InitVideo(platform::WindowHandle window);
int BuildScene();
void RenderFrame(std::uint32_t elapsedMs);
void DestroyScene();
