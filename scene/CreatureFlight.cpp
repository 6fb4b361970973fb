#include "scene/CreatureFlight.h"

#include <cmath>

#include "render/Ribbon.h"

namespace {

const int kStates = 6;

// Row: the state being left; column: the next state. Each row sums to 1; the row of the
// not-started state is all zeros.
const double kTransitions[kStates][kStates] = {
    {0.9, 0.1, 0.0, 0.0, 0.0, 0.0},
    {0.0, 0.0, 0.0, 1.0, 0.0, 0.0},
    {0.15, 0.0, 0.0, 0.75, 0.1, 0.0},
    {0.0, 0.0, 1.0, 0.0, 0.0, 0.0},
    {1.0, 0.0, 0.0, 0.0, 0.0, 0.0},
    {0.0, 0.0, 0.0, 0.0, 0.0, 0.0},
};

const double kSpeed = 0.002;               // units per ms
const double kTurnRate = 0.006;            // pull of the target per ms
const double kRollPull = 0.003;            // pull of the roll towards world up per ms
const double kArrival = 0.4;               // a target this near counts as reached
const double kFlyTimeout = 3000.0;         // ms
const double kClimbFade = 0.0010471975333333334;  // 3.1415926 / 3000
const double kSlowDown = 1.3333333333333334e-06;  // 0.002 / 1500
const double kDartLength = 500.0;          // ms
const double kDartRate = 0.0031415926;     // 3.1415926 / 1000: half a sine in 500 ms
const double kWriggleLength = 2000.0;      // ms
const double kPi = 3.1415926;

Vector3 Normalized(Vector3 v)
{
    v.Normalize();
    return v;
}

}  // namespace

CreatureFlight::CreatureFlight(Ribbon* ribbon) : ribbon_(ribbon)
{
    // Above the scene's centre, heading away from the viewer.
    ribbon_->Initialize(Vector3(0.0, 2.0, 0.0), Vector3(0.0, 1.0, 0.0), Vector3(0.0, 0.0, -1.0));
    EnterState(FlyToTarget);
}

int CreatureFlight::NextState(int from, double r)
{
    if (from < 0 || from >= kStates)
        return FlyToTarget;
    int lastPossible = FlyToTarget;
    for (int column = 0; column < kStates; ++column) {
        r -= kTransitions[from][column];
        if (r <= 0.0)
            return column;
        if (kTransitions[from][column] > 0.0)
            lastPossible = column;
    }
    // Only rounding can leave a draw of 1 above the row's sum: take the row's last state.
    return lastPossible;
}

void CreatureFlight::LeaveState()
{
    stateTime_ = 0.0;
    EnterState(NextState(state_, RandomUnit()));
}

void CreatureFlight::EnterState(int next)
{
    const RibbonNode& head = ribbon_->Node(0);
    state_ = next;
    switch (next) {
    case FlyToTarget: {
        // Target z lies in [-14, 2]; x and y spread with the distance.
        const double a = 2.0 - 16.0 * RandomUnit();
        const double x = (RandomUnit() - 0.5) * a * 0.5;
        const double y = (RandomUnit() - 0.5) * a * 0.1875;
        target_ = Vector3(x, y, a);
        break;
    }
    case LevelOut: {
        // Levelling out only makes sense near the z axis and behind the origin.
        if (Vector3(head.position.x, head.position.y, 0.0).Length() > 1.0 || head.position.z > 0.0) {
            EnterState(FlyToTarget);
            return;
        }
        const Vector3& t = head.tangent;
        climb_ = Vector3(0.0, t.y, 0.0);
        level_ = Vector3(t.x, 0.0, t.z);
        break;
    }
    case Hover:
        pauseLength_ = 500.0 * RandomUnit();
        break;
    case Dart: {
        const double angle = 6.2831852 * RandomUnit();
        const double radius = (RandomUnit() + 1.0) * 0.2;
        dartOffset_ = head.up * std::sin(angle) * radius + head.side * std::cos(angle) * radius;
        dartStart_ = head.position;
        break;
    }
    case Wriggle:
        waveDirection_ = head.tangent;
        waveStart_ = head.position;
        waveSide_ = head.side;
        break;
    default:
        break;
    }
}

void CreatureFlight::Update(std::int32_t elapsedMs)
{
    frameTime_ = elapsedMs;
    stateTime_ += elapsedMs;
    switch (state_) {
    case FlyToTarget:
        FlyStep();
        break;
    case LevelOut:
        LevelStep();
        break;
    case Hover:
        if (stateTime_ > pauseLength_)
            LeaveState();
        break;
    case Dart:
        DartStep();
        break;
    case Wriggle:
        WriggleStep();
        break;
    default:
        break;
    }
}

void CreatureFlight::Steer(const Vector3& heading, double speed, const Vector3& g)
{
    const RibbonNode& head = ribbon_->Node(0);
    const double e = frameTime_;
    const Vector3 position = head.position + heading * speed * e;
    const Vector3 w = head.up + Vector3(0.0, 1.0, 0.0) * kRollPull * e;
    const double c = w.Length();
    const Vector3 up = w - g * (Dot(g, w) / c);
    ribbon_->MoveHead(position, up);
}

void CreatureFlight::FlyStep()
{
    const RibbonNode& head = ribbon_->Node(0);
    const Vector3 oldTangent = head.tangent;
    const Vector3 toTarget = Normalized(target_ - head.position);
    const Vector3 heading = Normalized(head.tangent + toTarget * kTurnRate * frameTime_);
    Steer(heading, kSpeed, oldTangent);
    if ((ribbon_->Node(0).position - target_).Length() < kArrival || stateTime_ > kFlyTimeout)
        LeaveState();
}

void CreatureFlight::LevelStep()
{
    const double t = stateTime_;
    Vector3 heading;
    double speed = kSpeed;
    if (t < 1500.0) {
        // The climb fades out over 1.5 s.
        heading = level_ + climb_ * std::cos(t * kClimbFade);
    } else {
        // Then the creature slows to a stop by 3 s.
        const double k = (t - 1500.0) * kSlowDown;
        if (k > kSpeed) {
            LeaveState();
            return;
        }
        heading = level_;
        speed = kSpeed - k;
    }
    heading.Normalize();
    Steer(heading, speed, heading);
}

void CreatureFlight::DartStep()
{
    if (stateTime_ >= kDartLength) {
        LeaveState();
        return;
    }
    const RibbonNode head = ribbon_->Node(0);
    ribbon_->Initialize(dartStart_ + dartOffset_ * std::sin(stateTime_ * kDartRate), head.up, head.tangent);
}

void CreatureFlight::WriggleStep()
{
    if (stateTime_ >= kWriggleLength) {
        LeaveState();
        return;
    }
    // A travelling wave along the straight body, swelling and dying away.
    const int n = ribbon_->NodeCount();
    const double t = stateTime_;
    const double swell = 0.015 * std::sin(0.0015707963 * t);
    for (int i = 0; i < n; ++i) {
        const double along = static_cast<double>(i) / n;
        ribbon_->Node(i).position = waveStart_ - waveDirection_ * along +
                                    waveSide_ * (swell * std::sin((t * 0.006666666666666667 - 3.0 * along) * kPi));
    }
    ribbon_->FollowHead();
}
