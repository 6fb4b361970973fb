#pragma once

#include <cstdint>

#include "sound/SceneSoundVolume.h"

class SoundBuffer;

// The ambient bed: sample 132 looped for the whole run, its volume wandering as
// SceneSoundVolume says. Takes its buffer from the SoundManager in TheApplicationState;
// the buffer stays the manager's.
class SceneSoundClass {
public:
    SceneSoundClass();

    SceneSoundClass(const SceneSoundClass&) = delete;
    SceneSoundClass& operator=(const SceneSoundClass&) = delete;

    bool IsReady() const { return buffer_ != nullptr; }

    // One step per frame; the elapsed time is not used.
    void Update(std::uint32_t elapsedMs);

    const SceneSoundVolume& Level() const { return level_; }
    SoundBuffer* Buffer() const { return buffer_; }

private:
    SoundBuffer* buffer_ = nullptr;  // owned by the SoundManager
    SceneSoundVolume level_;
};
