#pragma once

#include <cstdint>

#include "render/VectorMath.h"
#include "scene/WingSparks.h"

// One fast-beating insect wing of the creature. It beats at 0.9 radians per ms, far
// faster than the frame rate, so a frame shows it as a translucent sweep between its
// angles at the previous and the current frame. Plain logic: Sweep() computes what a
// frame shows (random streaks, the membrane, a new spark, the sparks' motion) and the
// creature's drawing issues it.
class CreatureWing {
public:
    static constexpr int kProfilePoints = 7;
    static constexpr int kStreaks = 5;
    static constexpr int kStreakPoints = 11;  // s = 0, 0.1, ... while s < 1
    static constexpr int kStripPoints = 2 * kProfilePoints;
    // Phases wrap by this many ms (about 23.8 days): 0.9 times it is a whole number of
    // turns to within 1e-6 radians, so the beat runs on unbroken where the 32-bit count
    // would otherwise overflow.
    static constexpr std::int32_t kPhaseWrap = 2057789935;

    // What one frame of the wing shows.
    struct Sweep {
        double alpha = 0.0;
        double hi = 0.0, lo = 0.0;  // the sweep's angles (radians)
        Vector3 spanHi, spanLo;
        Vector3 streaks[kStreaks][kStreakPoints];
        int streakPoints = 0;
        Vector3 strips[2][kStripPoints];  // quad strips at spanHi and at spanLo
    };

    CreatureWing();

    // The wing's outline across its length: x 0 ... 0.3, half-width y 0 ... 0.03 ... 0.
    static const Vector2* UpperProfile();
    static const Vector2* LowerProfile();

    void Attach(const Vector3& position, const Vector3& forward, const Vector3& side);
    void Update(std::int32_t elapsedMs);
    // The frame's sweep, a new spark and the sparks' motion; draws RandomUnit as the
    // drawing would.
    const Sweep& BuildSweep();

    // Angle of the beat at a phase: 0.7 cos(0.9 phase).
    static double BeatAngle(std::int32_t phase);

    std::int32_t Phase() const { return phase_; }
    std::int32_t PreviousPhase() const { return previousPhase_; }
    void SetPhase(std::int32_t phase) { phase_ = phase; }
    const Vector3& Anchor() const { return anchor_; }
    const Vector3& Forward() const { return forward_; }
    const Vector3& Side() const { return side_; }
    const Vector3& Up() const { return up_; }
    WingSparks& Sparks() { return sparks_; }
    const WingSparks& Sparks() const { return sparks_; }
    const Sweep& LastSweep() const { return sweep_; }

private:
    std::int32_t phase_ = 0;          // accumulated ms, wrapped by kPhaseWrap
    std::int32_t previousPhase_ = 0;
    Vector3 anchor_;
    Vector3 forward_{0.0, 0.0, 1.0};
    Vector3 side_{1.0, 0.0, 0.0};
    Vector3 up_{0.0, 1.0, 0.0};
    WingSparks sparks_;
    Sweep sweep_;
};
