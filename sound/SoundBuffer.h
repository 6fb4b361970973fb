#pragma once

#include "render/VectorMath.h"

namespace platform {
struct SoundVoice;
}

// One 3D sound buffer holding one sample (mono 16-bit PCM at 44,100 Hz). Made and owned
// by the SoundManager; the sound objects borrow it. Without a voice every operation
// does nothing, and Lock/Unlock report failure.
class SoundBuffer {
public:
    explicit SoundBuffer(platform::SoundVoice* voice) : voice_(voice) {}
    ~SoundBuffer();

    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    bool IsUsable() const { return voice_ != nullptr; }

    // The whole buffer; returns 0 on success (then *data and *bytes are set and kept
    // for Unlock), 1 on failure.
    int Lock(void** data, int* bytes);
    // Returns 0 on success, 1 when there is no voice or the voice refuses; does nothing
    // more when nothing is locked.
    int Unlock();

    void PlayLooping();
    // Playing again while it plays goes on from where it is.
    void PlayOnce();
    // Hundredths of a decibel below full volume: 0 full, -10000 silent.
    void SetVolume(int hundredthsOfDecibel);
    // In the scene's right-handed coordinates; handed on with z negated.
    void SetPosition(const Vector3& position);

    bool IsPlaying() const;
    // Bytes from the start of the sample that playing has reached.
    int PlayPosition() const;
    // The last volume the device took and the last position handed to it (0 and the
    // origin until then).
    int Volume() const { return volume_; }
    const Vector3& Position() const { return position_; }

private:
    platform::SoundVoice* voice_ = nullptr;
    void* lockedPointer_ = nullptr;
    int lockedBytes_ = 0;
    int volume_ = 0;
    Vector3 position_;
};
