#include "sound/SoundBuffer.h"

#include "platform/SoundOutput.h"

SoundBuffer::~SoundBuffer()
{
    platform::ReleaseSoundVoice(voice_);
}

int SoundBuffer::Lock(void** data, int* bytes)
{
    if (voice_ == nullptr)
        return 1;
    void* pointer = nullptr;
    int length = 0;
    if (!platform::LockSoundVoice(voice_, &pointer, &length))
        return 1;
    lockedPointer_ = pointer;
    lockedBytes_ = length;
    *data = pointer;
    *bytes = length;
    return 0;
}

int SoundBuffer::Unlock()
{
    if (voice_ == nullptr)
        return 1;
    if (lockedPointer_ == nullptr)
        return 0;
    const bool unlocked = platform::UnlockSoundVoice(voice_, lockedPointer_, lockedBytes_);
    lockedPointer_ = nullptr;
    lockedBytes_ = 0;
    return unlocked ? 0 : 1;
}

void SoundBuffer::PlayLooping()
{
    if (voice_ != nullptr)
        platform::PlaySoundVoice(voice_, true);
}

void SoundBuffer::PlayOnce()
{
    if (voice_ != nullptr)
        platform::PlaySoundVoice(voice_, false);
}

void SoundBuffer::SetVolume(int hundredthsOfDecibel)
{
    if (voice_ == nullptr)
        return;
    // A refused value (outside 0 to -10000) leaves the volume as it was.
    if (platform::SetSoundVoiceVolume(voice_, hundredthsOfDecibel))
        volume_ = hundredthsOfDecibel;
}

void SoundBuffer::SetPosition(const Vector3& position)
{
    if (voice_ == nullptr)
        return;
    position_ = position;
    // The scene is right-handed, the sound space left-handed.
    platform::SetSoundVoicePosition(voice_, static_cast<float>(position.x), static_cast<float>(position.y),
                                    static_cast<float>(-position.z));
}

bool SoundBuffer::IsPlaying() const
{
    return voice_ != nullptr && platform::IsSoundVoicePlaying(voice_);
}

int SoundBuffer::PlayPosition() const
{
    return voice_ != nullptr ? platform::SoundVoicePlayPosition(voice_) : 0;
}
