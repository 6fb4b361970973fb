#include "sound/SoundManager.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/Resources.h"
#include "platform/SoundOutput.h"
#include "sound/SoundBuffer.h"

SoundManager::SoundManager(platform::WindowHandle window)
{
    device_ = platform::OpenSoundDevice(window);
    buffers_.reserve(4);
}

bool SoundManager::IsSilent() const { return platform::IsSilentSoundDevice(device_); }

SoundManager::~SoundManager()
{
    for (SoundBuffer* buffer : buffers_)
        delete buffer;
    buffers_.clear();
    platform::CloseSoundDevice(device_);
    device_ = nullptr;
}

SoundBuffer* SoundManager::CreateBuffer(int bytes)
{
    if (device_ == nullptr || bytes <= 0)
        return nullptr;
    platform::SoundVoice* voice = platform::CreateSoundVoice(device_, bytes);
    if (voice == nullptr)
        return nullptr;
    SoundBuffer* buffer = new (std::nothrow) SoundBuffer(voice);
    if (buffer == nullptr) {
        platform::ReleaseSoundVoice(voice);
        return nullptr;
    }
    buffers_.push_back(buffer);
    return buffer;
}

SoundBuffer* SoundManager::LoadSample(int resourceId)
{
    if (device_ == nullptr)
        return nullptr;
    platform::ResourceBytes resource;
    if (!platform::FindResourceBytes("SoundSamples", resourceId, &resource))
        return nullptr;
    return LoadSampleBytes(resource.data, resource.size);
}

SoundBuffer* SoundManager::LoadSampleBytes(const unsigned char* data, std::size_t size)
{
    if (device_ == nullptr || data == nullptr || size > 0x7fffffff)
        return nullptr;
    SoundBuffer* buffer = CreateBuffer(static_cast<int>(size));
    if (buffer == nullptr)
        return nullptr;
    void* region = nullptr;
    int regionBytes = 0;
    if (buffer->Lock(&region, &regionBytes) != 0 || static_cast<std::size_t>(regionBytes) != size) {
        buffer->Unlock();
        DropBuffer(buffer);
        return nullptr;
    }
    std::memcpy(region, data, size);
    buffer->Unlock();
    return buffer;
}

void SoundManager::DropBuffer(SoundBuffer* buffer)
{
    buffers_.erase(std::remove(buffers_.begin(), buffers_.end(), buffer), buffers_.end());
    delete buffer;
}
