// The sound device on OpenAL Soft. One voice is an OpenAL buffer with the source that
// plays it; writes go to a copy of the sample kept here and reach OpenAL on unlock.
#include "platform/SoundOutput.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <new>
#include <thread>
#include <vector>

namespace platform {

struct SoundDevice {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    // The silent output: a loopback device whose mix is made in real time and dropped.
    bool silent = false;
    std::thread mixer;
    std::atomic<bool> stopMixer{false};
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

// OpenAL Soft picks its backend once, when the library first starts, and does not fall
// back to its null output when the chosen backend finds no device. Its loopback device
// needs no backend at all; a thread of ours takes the place of the sound card's clock.
constexpr ALCint kSilentChannels = ALC_STEREO_SOFT;
constexpr int kSilentChunkFrames = 441;  // 10 ms

void MixSilently(SoundDevice* device, LPALCRENDERSAMPLESSOFT render)
{
    static thread_local short discarded[kSilentChunkFrames * 2];
    const auto start = std::chrono::steady_clock::now();
    long long framesMixed = 0;
    while (!device->stopMixer.load()) {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        const long long framesDue =
            std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count() * kSampleRate / 1000000;
        while (framesMixed + kSilentChunkFrames <= framesDue) {
            render(device->device, discarded, kSilentChunkFrames);
            framesMixed += kSilentChunkFrames;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ALCdevice* OpenSilentDevice(LPALCRENDERSAMPLESSOFT* render)
{
    if (alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") != ALC_TRUE)
        return nullptr;
    const auto open =
        reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    *render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (open == nullptr || *render == nullptr)
        return nullptr;
    return open(nullptr);
}

}  // namespace

SoundDevice* OpenSoundDevice(WindowHandle window)
{
    (void)window;  // OpenAL does not bind its output to a window
    LPALCRENDERSAMPLESSOFT render = nullptr;
    ALCdevice* device = alcOpenDevice(nullptr);
    const bool silent = device == nullptr;
    if (silent)
        device = OpenSilentDevice(&render);
    if (device == nullptr)
        return nullptr;
    const ALCint silentAttributes[] = {ALC_FORMAT_CHANNELS_SOFT, kSilentChannels, ALC_FORMAT_TYPE_SOFT,
                                       ALC_SHORT_SOFT, ALC_FREQUENCY, kSampleRate, 0};
    ALCcontext* context = alcCreateContext(device, silent ? silentAttributes : nullptr);
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
    result->silent = silent;
    if (silent)
        result->mixer = std::thread(MixSilently, result, render);

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

bool IsSilentSoundDevice(const SoundDevice* device) { return device != nullptr && device->silent; }

void CloseSoundDevice(SoundDevice* device)
{
    if (device == nullptr)
        return;
    if (device->mixer.joinable()) {
        device->stopMixer.store(true);
        device->mixer.join();
    }
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
