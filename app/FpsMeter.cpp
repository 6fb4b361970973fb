#include "app/FpsMeter.h"

#include <cstdio>

#include "platform/Clock.h"
#include "platform/GLBinding.h"

const char* FpsMeter::Measure(std::uint32_t now)
{
    if (lastTick_ == 0xFFFFFFFFu)
        lastTick_ = now;
    const double frameTime = static_cast<double>(static_cast<std::uint32_t>(now - lastTick_));
    lastTick_ = now;
    if (sampleCount_ < 1000.0)
        sampleCount_ += 1.0;
    averageFrameTime_ += (frameTime - averageFrameTime_) / sampleCount_;
    if (averageFrameTime_ == 0.0)
        std::snprintf(text_, sizeof text_, "---");
    else
        std::snprintf(text_, sizeof text_, "FPS : %g", 1000.0 / averageFrameTime_);
    return text_;
}

void FpsMeter::DrawOverlay(platform::GLSurface* surface)
{
    Measure(platform::TickCount());
    int width = 0;
    int height = 0;
    platform::DisplaySize(surface, &width, &height);
    platform::DrawOverlayText(surface, text_, width / 10, height / 10);
}

double FpsMeter::AverageFps() const
{
    return averageFrameTime_ > 0.0 ? 1000.0 / averageFrameTime_ : -1.0;
}
