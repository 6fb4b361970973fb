#pragma once

#include <cstdint>

#include "render/VectorMath.h"

class Ribbon;

// Steers the winged creature's body: a small state machine that moves the head of the
// ribbon (the chain follows). Plain logic, no OpenGL.
//
// States: 0 fly to a target, 1 level out, 2 hover, 3 dart, 4 wriggle; 5 only before
// the first state is entered.
class CreatureFlight {
public:
    enum State { FlyToTarget = 0, LevelOut = 1, Hover = 2, Dart = 3, Wriggle = 4, NotStarted = 5 };

    // Lays the body out straight from (0, 2, 0) towards -z and enters state 0.
    explicit CreatureFlight(Ribbon* ribbon);

    void Update(std::int32_t elapsedMs);

    // Picks the next state from the transition table with one RandomUnit draw.
    void LeaveState();
    // Sets the state and runs its entry action.
    void EnterState(int next);

    // The transition table's column taken by a draw r from the row of `from`: the first
    // column at which r minus the probabilities so far is <= 0.
    static int NextState(int from, double r);

    int State() const { return state_; }
    double FrameTime() const { return frameTime_; }
    double StateTime() const { return stateTime_; }
    double PauseLength() const { return pauseLength_; }
    const Vector3& Target() const { return target_; }
    const Vector3& Climb() const { return climb_; }
    const Vector3& Level() const { return level_; }
    const Vector3& DartOffset() const { return dartOffset_; }
    const Vector3& DartStart() const { return dartStart_; }
    const Vector3& WaveDirection() const { return waveDirection_; }
    const Vector3& WaveStart() const { return waveStart_; }
    const Vector3& WaveSide() const { return waveSide_; }

private:
    void FlyStep();
    void LevelStep();
    void DartStep();
    void WriggleStep();
    // Moves the head along heading at speed (units per ms) and pulls its roll towards
    // world up; g is the direction taken out of the new up.
    void Steer(const Vector3& heading, double speed, const Vector3& g);

    Ribbon* ribbon_;
    int state_ = NotStarted;
    double frameTime_ = 0.0;
    double stateTime_ = 0.0;
    double pauseLength_ = 0.0;
    Vector3 target_;
    Vector3 climb_;
    Vector3 level_;
    Vector3 dartOffset_;
    Vector3 dartStart_;
    Vector3 waveDirection_;
    Vector3 waveStart_;
    Vector3 waveSide_;
};
