#pragma once

#include "platform/SaverWindow.h"

// Placeholder until the sound device is built: always ready.
class SoundManager {
public:
    explicit SoundManager(platform::WindowHandle window) { (void)window; }
    bool IsReady() const { return true; }
};
