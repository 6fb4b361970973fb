#pragma once

#include <cstddef>
#include <vector>

#include "render/VectorMath.h"
#include "scene/WingSpark.h"

// The sparks one wing sheds: at most one new spark per frame and one per 120 ms of the
// wing's clock; each falls, slows and fades until it is too dim to see. Plain logic; the
// creature draws them as additive glowing squares.
class WingSparks {
public:
    // A spark fades by 0.992 per frame and is dropped below 0.01, so one of brightness 1
    // lives 575 frames; with one spark per frame at most that many are alive.
    static constexpr std::size_t kCapacity = 640;
    static constexpr int kGlowSize = 32;

    WingSparks();

    // The wing's step of this frame (ms).
    void AddStep(double step);
    // Appends a spark at position when the clock is 120 ms or more ahead of the emission
    // clock, which then advances by 120.
    void Emit(const Vector3& position);
    // Moves every spark by the last step and fades it; drops those already too dim.
    void Advance();

    // The colour a spark is drawn with at the current clock.
    Vector3 Colour(const WingSpark& spark) const;

    // The glow texture's alpha at row i, column j: 0.75 at the centre, 0 at the rim.
    static double GlowValue(int i, int j);
    // kGlowSize * kGlowSize values, row after row.
    static void FillGlowPixels(float* out);

    void SetGlowTexture(unsigned int texture) { glowTexture_ = texture; }
    unsigned int GlowTexture() const { return glowTexture_; }
    double Clock() const { return clock_; }
    double EmitClock() const { return emitClock_; }
    double LastStep() const { return lastStep_; }
    const std::vector<WingSpark>& Sparks() const { return sparks_; }

private:
    unsigned int glowTexture_ = 0;
    double clock_ = 0.0;
    double emitClock_ = 0.0;
    double lastStep_ = 0.0;
    std::vector<WingSpark> sparks_;  // oldest first; capacity reserved once
};
