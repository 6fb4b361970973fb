#include "scene/WingSparks.h"

#include <cmath>

namespace {

const double kEmitInterval = 120.0;  // ms
const double kFade = 0.992;          // per frame, whatever its length
const double kDimmest = 0.01;
const double kGravity = -1e-07;      // units per ms per ms
const double kDrag = 0.001;          // per ms

}  // namespace

WingSparks::WingSparks() { sparks_.reserve(kCapacity); }

void WingSparks::AddStep(double step)
{
    lastStep_ = step;
    clock_ += step;
}

void WingSparks::Emit(const Vector3& position)
{
    if (clock_ - emitClock_ < kEmitInterval)
        return;
    emitClock_ += kEmitInterval;
    WingSpark spark;
    spark.position = position;
    const double vx = (0.5 - RandomUnit()) * 0.0015;
    const double vy = (0.5 - RandomUnit()) * 0.0015;
    const double vz = (0.5 - RandomUnit()) * 0.0015;
    spark.velocity = Vector3(vx, vy, vz);
    spark.brightness = 0.3 + 0.7 * RandomUnit();
    spark.twinkleRate = 0.01 + 0.02 * RandomUnit();
    // The storage is sized for the longest-lived sparks; it never grows in the frame loop.
    if (sparks_.size() < kCapacity)
        sparks_.push_back(spark);
}

void WingSparks::Advance()
{
    const double dt = lastStep_;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < sparks_.size(); ++i) {
        WingSpark spark = sparks_[i];
        if (spark.brightness < kDimmest)
            continue;
        // Gravity and drag.
        spark.velocity += (Vector3(0.0, kGravity, 0.0) - spark.velocity * kDrag) * dt;
        spark.position += spark.velocity * dt;
        spark.brightness *= kFade;
        sparks_[kept++] = spark;
    }
    sparks_.resize(kept);
}

Vector3 WingSparks::Colour(const WingSpark& spark) const
{
    return Vector3(1.5, 0.3, 0.0) * spark.brightness * (0.85 + 0.15 * std::sin(spark.twinkleRate * clock_));
}

double WingSparks::GlowValue(int i, int j)
{
    const double d = Vector2(i * 0.0625 - 1.0, j * 0.0625 - 1.0).Length();
    if (d >= 1.0)
        return 0.0;
    return 1.0 / ((d + 1.0) * (d + 1.0)) - 0.25;
}

void WingSparks::FillGlowPixels(float* out)
{
    for (int i = 0; i < kGlowSize; ++i)
        for (int j = 0; j < kGlowSize; ++j)
            out[i * kGlowSize + j] = static_cast<float>(GlowValue(i, j));
}
