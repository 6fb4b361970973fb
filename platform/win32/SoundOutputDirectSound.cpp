// The sound device on DirectSound 8. One voice is one 3D secondary buffer seen through
// its three interfaces; the device is bound to the saver window at normal priority.
#include "platform/SoundOutput.h"

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <new>

namespace platform {

struct SoundDevice {
    IDirectSound8* device = nullptr;
};

struct SoundVoice {
    IDirectSoundBuffer* buffer = nullptr;
    IDirectSoundBuffer8* buffer8 = nullptr;
    IDirectSound3DBuffer* buffer3d = nullptr;
    void* lockedData = nullptr;
    DWORD lockedBytes = 0;
};

namespace {

constexpr DWORD kSampleRate = 44100;
constexpr WORD kBytesPerSample = 2;

template <typename Interface>
void Release(Interface*& object)
{
    if (object != nullptr)
        object->Release();
    object = nullptr;
}

// Frees the voice's interfaces in the order buffer, buffer8, buffer3d, then the voice.
void DestroyVoice(SoundVoice* voice)
{
    Release(voice->buffer);
    Release(voice->buffer8);
    Release(voice->buffer3d);
    delete voice;
}

}  // namespace

SoundDevice* OpenSoundDevice(WindowHandle window)
{
    IDirectSound8* device = nullptr;
    if (DirectSoundCreate8(nullptr, &device, nullptr) != DS_OK || device == nullptr)
        return nullptr;
    // A failed cooperative level leaves the device usable at its default priority.
    device->SetCooperativeLevel(reinterpret_cast<HWND>(window), DSSCL_NORMAL);
    SoundDevice* result = new (std::nothrow) SoundDevice;
    if (result == nullptr) {
        device->Release();
        return nullptr;
    }
    result->device = device;
    return result;
}

// Without a DirectSound device the saver stops with the DirectX text: nothing stands in.
bool IsSilentSoundDevice(const SoundDevice*) { return false; }

void CloseSoundDevice(SoundDevice* device)
{
    if (device == nullptr)
        return;
    Release(device->device);
    delete device;
}

SoundVoice* CreateSoundVoice(SoundDevice* device, int bytes)
{
    // 16-bit samples: an odd byte count is cut to whole samples.
    const int wholeBytes = bytes & ~1;
    if (device == nullptr || wholeBytes < static_cast<int>(DSBSIZE_MIN) ||
        static_cast<DWORD>(wholeBytes) > DSBSIZE_MAX)
        return nullptr;

    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = kSampleRate;
    format.nAvgBytesPerSec = kSampleRate * kBytesPerSample;
    format.nBlockAlign = kBytesPerSample;
    format.wBitsPerSample = 16;
    format.cbSize = 0;

    DSBUFFERDESC description = {};
    description.dwSize = sizeof(description);
    description.dwFlags = DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME | DSBCAPS_MUTE3DATMAXDISTANCE;
    description.dwBufferBytes = static_cast<DWORD>(wholeBytes);
    description.lpwfxFormat = &format;
    description.guid3DAlgorithm = GUID{};  // the default 3D algorithm

    SoundVoice* voice = new (std::nothrow) SoundVoice;
    if (voice == nullptr)
        return nullptr;
    if (device->device->CreateSoundBuffer(&description, &voice->buffer, nullptr) != DS_OK ||
        voice->buffer->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&voice->buffer8)) != S_OK ||
        voice->buffer8->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&voice->buffer3d)) != S_OK) {
        DestroyVoice(voice);
        return nullptr;
    }
    return voice;
}

void ReleaseSoundVoice(SoundVoice* voice)
{
    if (voice == nullptr)
        return;
    if (voice->buffer8 != nullptr)
        voice->buffer8->Stop();
    DestroyVoice(voice);
}

bool LockSoundVoice(SoundVoice* voice, void** data, int* bytes)
{
    if (voice == nullptr || voice->buffer3d == nullptr || voice->lockedData != nullptr)
        return false;
    void* region = nullptr;
    DWORD regionBytes = 0;
    HRESULT result = voice->buffer8->Lock(0, 0, &region, &regionBytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
    if (result == DSERR_BUFFERLOST && voice->buffer8->Restore() == DS_OK)
        result = voice->buffer8->Lock(0, 0, &region, &regionBytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
    if (result != DS_OK || region == nullptr)
        return false;
    voice->lockedData = region;
    voice->lockedBytes = regionBytes;
    *data = region;
    *bytes = static_cast<int>(regionBytes);
    return true;
}

bool UnlockSoundVoice(SoundVoice* voice, void* data, int bytes)
{
    if (voice == nullptr || voice->buffer3d == nullptr || voice->lockedData == nullptr ||
        data != voice->lockedData || bytes < 0 || static_cast<DWORD>(bytes) != voice->lockedBytes)
        return false;
    const HRESULT result = voice->buffer8->Unlock(voice->lockedData, voice->lockedBytes, nullptr, 0);
    voice->lockedData = nullptr;
    voice->lockedBytes = 0;
    return result == DS_OK;
}

void PlaySoundVoice(SoundVoice* voice, bool looping)
{
    if (voice == nullptr || voice->buffer3d == nullptr)
        return;
    voice->buffer8->Play(0, 0, looping ? DSBPLAY_LOOPING : 0);
}

bool IsSoundVoicePlaying(SoundVoice* voice)
{
    if (voice == nullptr || voice->buffer3d == nullptr)
        return false;
    DWORD status = 0;
    return voice->buffer8->GetStatus(&status) == DS_OK && (status & DSBSTATUS_PLAYING) != 0;
}

int SoundVoicePlayPosition(SoundVoice* voice)
{
    if (voice == nullptr || voice->buffer3d == nullptr)
        return 0;
    DWORD play = 0;
    DWORD write = 0;
    if (voice->buffer8->GetCurrentPosition(&play, &write) != DS_OK)
        return 0;
    return static_cast<int>(play);
}

bool SetSoundVoiceVolume(SoundVoice* voice, int hundredthsOfDecibel)
{
    if (voice == nullptr || voice->buffer3d == nullptr || hundredthsOfDecibel > DSBVOLUME_MAX ||
        hundredthsOfDecibel < DSBVOLUME_MIN)
        return false;
    voice->buffer8->SetVolume(hundredthsOfDecibel);
    return true;
}

void SetSoundVoicePosition(SoundVoice* voice, float x, float y, float z)
{
    if (voice == nullptr || voice->buffer3d == nullptr)
        return;
    // Already in DirectSound's left-handed space: the caller negated the scene's z.
    voice->buffer3d->SetPosition(x, y, z, DS3D_IMMEDIATE);
}

}  // namespace platform
