#pragma once

#include <cstdint>

#include "render/VectorMath.h"
#include "sound/WingsSoundTrigger.h"

class SoundBuffer;

// The winged creature's own sound: sample 133, kept at the creature's head and played
// once whenever the head climbs noticeably, at most once every three seconds.
//
// Use (owner: WingedCreature, on the render thread):
//   - construct it as a plain member during the creature's construction; it takes its
//     buffer from the SoundManager in TheApplicationState, which InitVideo creates
//     before the scene. Without that manager or sample it writes the error
//     "Can not create WingsSoundClass object" and stays not ready;
//   - include IsReady() in the creature's own ready test;
//   - every frame call Update(position of the body's node 0, elapsedMs).
// The buffer belongs to the SoundManager; destroying this object releases nothing.
class WingsSoundClass {
public:
    WingsSoundClass();

    WingsSoundClass(const WingsSoundClass&) = delete;
    WingsSoundClass& operator=(const WingsSoundClass&) = delete;

    bool IsReady() const { return buffer_ != nullptr; }

    void Update(const Vector3& position, std::int32_t elapsedMs);

    const WingsSoundTrigger& Trigger() const { return trigger_; }
    SoundBuffer* Buffer() const { return buffer_; }

private:
    SoundBuffer* buffer_ = nullptr;  // owned by the SoundManager
    WingsSoundTrigger trigger_;
};
