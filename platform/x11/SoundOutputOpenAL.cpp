// The sound device on OpenAL Soft. One voice is an OpenAL buffer with the source that
// plays it; writes go to a copy of the sample kept here and reach OpenAL on unlock.
#include "platform/SoundOutput.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <cmath>
#include <new>
#include <vector>

namespace platform {

struct SoundDevice {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
};

struct SoundVoice {
    SoundDevice* owner = nullptr;
    ALuint buffer = 0;
    ALuint source = 0;
    std::vector<unsigned char> samples;  // what Lock hands out
    bool locked = false;
};

namespace {

constexpr int kSampleRate = 44100;

// Several devices may be open at once (tests); calls go to the voice's own context.
void UseContext(const SoundDevice* device)
{
    if (alcGetCurrentContext() != device->context)
        alcMakeContextCurrent(device->context);
}

bool Upload(SoundVoice* voice)
{
    alGetError();
    alBufferData(voice->buffer, AL_FORMAT_MONO16, voice->samples.data(),
                 static_cast<ALsizei>(voice->samples.size()), kSampleRate);
    return alGetError() == AL_NO_ERROR;
}

}  // namespace

SoundDevice* OpenSoundDevice(WindowHandle window)
{
    (void)window;  // OpenAL does not bind its output to a window
    ALCdevice* device = alcOpenDevice(nullptr);
    if (device == nullptr)
        return nullptr;
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (context == nullptr || alcMakeContextCurrent(context) != ALC_TRUE) {
        if (context != nullptr)
            alcDestroyContext(context);
        alcCloseDevice(device);
        return nullptr;
    }
    SoundDevice* result = new (std::nothrow) SoundDevice;
    if (result == nullptr) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
        alcCloseDevice(device);
        return nullptr;
    }
    result->device = device;
    result->context = context;

    // DirectSound's default listener at the origin faces +z of its left-handed space,
    // which is -z of OpenAL's right-handed one: OpenAL's own default listener. Its
    // default distance law (gain = min distance / distance beyond min distance 1) is
    // OpenAL's clamped inverse law with reference distance 1 and rolloff 1.
    const ALfloat orientation[6] = {0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};
    alListener3f(AL_POSITION, 0.0f, 0.0f, 0.0f);
    alListener3f(AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    alListenerfv(AL_ORIENTATION, orientation);
    alListenerf(AL_GAIN, 1.0f);
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    return result;
}

void CloseSoundDevice(SoundDevice* device)
{
    if (device == nullptr)
        return;
    if (alcGetCurrentContext() == device->context)
        alcMakeContextCurrent(nullptr);
    alcDestroyContext(device->context);
    // The wave writer completes its file here.
    alcCloseDevice(device->device);
    delete device;
}

SoundVoice* CreateSoundVoice(SoundDevice* device, int bytes)
{
    // 16-bit samples: an odd byte count is cut to whole samples.
    const int wholeBytes = bytes & ~1;
    if (device == nullptr || wholeBytes <= 0)
        return nullptr;
    UseContext(device);
    SoundVoice* voice = new (std::nothrow) SoundVoice;
    if (voice == nullptr)
        return nullptr;
    voice->owner = device;
    voice->samples.assign(static_cast<std::size_t>(wholeBytes), 0);

    alGetError();
    alGenBuffers(1, &voice->buffer);
    if (alGetError() != AL_NO_ERROR) {
        delete voice;
        return nullptr;
    }
    alGenSources(1, &voice->source);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &voice->buffer);
        delete voice;
        return nullptr;
    }
    if (!Upload(voice)) {
        ReleaseSoundVoice(voice);
        return nullptr;
    }
    alSourcei(voice->source, AL_BUFFER, static_cast<ALint>(voice->buffer));
    alSourcei(voice->source, AL_SOURCE_RELATIVE, AL_FALSE);
    alSourcef(voice->source, AL_REFERENCE_DISTANCE, 1.0f);
    alSourcef(voice->source, AL_ROLLOFF_FACTOR, 1.0f);
    alSourcef(voice->source, AL_MAX_DISTANCE, 1.0e9f);  // DirectSound's default
    alSourcef(voice->source, AL_GAIN, 1.0f);
    alSource3f(voice->source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    if (alGetError() != AL_NO_ERROR) {
        ReleaseSoundVoice(voice);
        return nullptr;
    }
    return voice;
}

void ReleaseSoundVoice(SoundVoice* voice)
{
    if (voice == nullptr)
        return;
    UseContext(voice->owner);
    if (voice->source != 0) {
        alSourceStop(voice->source);
        alSourcei(voice->source, AL_BUFFER, 0);
        alDeleteSources(1, &voice->source);
    }
    if (voice->buffer != 0)
        alDeleteBuffers(1, &voice->buffer);
    delete voice;
}

bool LockSoundVoice(SoundVoice* voice, void** data, int* bytes)
{
    if (voice == nullptr || voice->locked)
        return false;
    voice->locked = true;
    *data = voice->samples.data();
    *bytes = static_cast<int>(voice->samples.size());
    return true;
}

bool UnlockSoundVoice(SoundVoice* voice, void* data, int bytes)
{
    if (voice == nullptr || !voice->locked || data != voice->samples.data() ||
        bytes != static_cast<int>(voice->samples.size()))
        return false;
    voice->locked = false;
    UseContext(voice->owner);

    // OpenAL refuses new data for a buffer that a source holds: detach it for the
    // upload and resume from the same place if it was playing.
    ALint state = AL_INITIAL;
    alGetSourcei(voice->source, AL_SOURCE_STATE, &state);
    ALint offset = 0;
    ALint looping = AL_FALSE;
    if (state == AL_PLAYING) {
        alGetSourcei(voice->source, AL_BYTE_OFFSET, &offset);
        alGetSourcei(voice->source, AL_LOOPING, &looping);
    }
    alSourceStop(voice->source);
    alSourcei(voice->source, AL_BUFFER, 0);
    const bool uploaded = Upload(voice);
    alSourcei(voice->source, AL_BUFFER, static_cast<ALint>(voice->buffer));
    if (state == AL_PLAYING) {
        alSourcei(voice->source, AL_LOOPING, looping);
        alSourcePlay(voice->source);
        alSourcei(voice->source, AL_BYTE_OFFSET, offset);
    }
    return uploaded;
}

void PlaySoundVoice(SoundVoice* voice, bool looping)
{
    if (voice == nullptr)
        return;
    UseContext(voice->owner);
    alSourcei(voice->source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
    // alSourcePlay would rewind a playing source; DirectSound goes on instead.
    ALint state = AL_INITIAL;
    alGetSourcei(voice->source, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING)
        alSourcePlay(voice->source);
}

bool IsSoundVoicePlaying(SoundVoice* voice)
{
    if (voice == nullptr)
        return false;
    UseContext(voice->owner);
    ALint state = AL_INITIAL;
    alGetSourcei(voice->source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

int SoundVoicePlayPosition(SoundVoice* voice)
{
    if (voice == nullptr)
        return 0;
    UseContext(voice->owner);
    ALint offset = 0;
    alGetSourcei(voice->source, AL_BYTE_OFFSET, &offset);
    return offset;
}

bool SetSoundVoiceVolume(SoundVoice* voice, int hundredthsOfDecibel)
{
    if (voice == nullptr || hundredthsOfDecibel > 0 || hundredthsOfDecibel < -10000)
        return false;
    UseContext(voice->owner);
    const double gain = hundredthsOfDecibel == -10000 ? 0.0 : std::pow(10.0, hundredthsOfDecibel / 2000.0);
    alSourcef(voice->source, AL_GAIN, static_cast<ALfloat>(gain));
    return true;
}

void SetSoundVoicePosition(SoundVoice* voice, float x, float y, float z)
{
    if (voice == nullptr)
        return;
    UseContext(voice->owner);
    alSource3f(voice->source, AL_POSITION, x, y, -z);  // left-handed to right-handed
}

}  // namespace platform
