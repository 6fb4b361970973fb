#pragma once

#include <cstdint>

namespace platform {
struct GLSurface;
}

// Measures the time between drawn frames and shows the frame rate in the top-left corner.
class FpsMeter {
public:
    // Measures one frame at the current tick and draws the text on the surface.
    void DrawOverlay(platform::GLSurface* surface);

    // The measuring half of DrawOverlay, given the tick; returns the text to show.
    const char* Measure(std::uint32_t now);

    // 1000 / the average frame time, or -1 when nothing was measured.
    double AverageFps() const;

    const char* Text() const { return text_; }

private:
    std::uint32_t lastTick_ = 0xFFFFFFFFu;
    double averageFrameTime_ = 0.0;
    double sampleCount_ = 0.0;
    char text_[64] = "---";
};
