#include "scene/CreatureWing.h"

#include <cmath>

namespace {

const double kPi = 3.1415926;
const double kBeatRate = 0.9;       // radians per ms
const double kBeatAmplitude = 0.7;  // radians
const double kLeastSweep = 0.001;   // radians
const double kWingLength = 0.3;

struct WingProfile {
    Vector2 upper[CreatureWing::kProfilePoints];
    Vector2 lower[CreatureWing::kProfilePoints];

    WingProfile()
    {
        for (int m = 0; m < CreatureWing::kProfilePoints; ++m) {
            upper[m] = Vector2(0.3 * std::sin(m * 0.2617993833333333), 0.03 * std::sin(m * 0.5235987666666666));
            lower[m] = Vector2(upper[m].x, -upper[m].y);
        }
    }
};

// Computed once, by the first wing that asks.
const WingProfile& Profile()
{
    static const WingProfile profile;
    return profile;
}

Vector3 Normalized(Vector3 v)
{
    v.Normalize();
    return v;
}

}  // namespace

CreatureWing::CreatureWing() { Profile(); }

const Vector2* CreatureWing::UpperProfile() { return Profile().upper; }
const Vector2* CreatureWing::LowerProfile() { return Profile().lower; }

void CreatureWing::Attach(const Vector3& position, const Vector3& forward, const Vector3& side)
{
    anchor_ = position;
    forward_ = forward;
    side_ = side;
    up_ = Cross(forward, side);  // the mirrored wing's up points the other way
}

void CreatureWing::Update(std::int32_t elapsedMs)
{
    // The extra 1 comes only from a draw of exactly 1.
    const std::int64_t step = static_cast<std::int64_t>(elapsedMs) + static_cast<std::int64_t>(RandomUnit());
    previousPhase_ = phase_;
    // Wrapping keeps the count clear of signed overflow after about 25 days.
    std::int64_t next = static_cast<std::int64_t>(phase_) + step;
    if (next >= kPhaseWrap || next < 0) {
        next %= kPhaseWrap;
        if (next < 0)
            next += kPhaseWrap;
    }
    phase_ = static_cast<std::int32_t>(next);
    sparks_.AddStep(static_cast<double>(step));
}

double CreatureWing::BeatAngle(std::int32_t phase) { return kBeatAmplitude * std::cos(kBeatRate * phase); }

const CreatureWing::Sweep& CreatureWing::BuildSweep()
{
    Sweep& w = sweep_;
    const double a = BeatAngle(phase_);
    const double b = BeatAngle(previousPhase_);
    w.hi = a > b ? a : b;
    w.lo = a > b ? b : a;
    if (w.hi - w.lo < kLeastSweep)
        w.lo = w.hi - kLeastSweep;
    w.spanHi = side_ * std::cos(w.hi) + up_ * std::sin(w.hi);
    w.spanLo = side_ * std::cos(w.lo) + up_ * std::sin(w.lo);
    // The wider the sweep, the fainter the blur.
    w.alpha = 1.2 / (w.hi - w.lo + 2.0);

    // Veins caught at random angles within the sweep.
    for (int k = 0; k < kStreaks; ++k) {
        const double angle = RandomUnit() * kPi;
        const Vector2 p(std::sin(angle) * kWingLength, std::sin(2.0 * angle) * 0.03);
        int n = 0;
        for (double s = 0.0; s < 1.0 && n < kStreakPoints; s += 0.1)
            w.streaks[k][n++] = anchor_ + Normalized(w.spanHi * s + w.spanLo * (1.0 - s)) * p.x + forward_ * p.y;
        w.streakPoints = n;
    }

    // The membrane at both ends of the sweep.
    const Vector2* upper = UpperProfile();
    const Vector2* lower = LowerProfile();
    for (int m = 0; m < kProfilePoints; ++m) {
        w.strips[0][2 * m] = anchor_ + w.spanHi * lower[m].x + forward_ * lower[m].y;
        w.strips[0][2 * m + 1] = anchor_ + w.spanHi * upper[m].x + forward_ * upper[m].y;
        w.strips[1][2 * m] = anchor_ + w.spanLo * upper[m].x + forward_ * upper[m].y;
        w.strips[1][2 * m + 1] = anchor_ + w.spanLo * lower[m].x + forward_ * lower[m].y;
    }

    sparks_.Emit(anchor_ + side_ * (0.3 * (1.0 - 2.0 * RandomUnit())));
    sparks_.Advance();
    return w;
}
