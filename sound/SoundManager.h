#pragma once

#include <cstddef>
#include <vector>

#include "platform/SaverWindow.h"

namespace platform {
struct SoundDevice;
}
class SoundBuffer;

// The sound device and every sound buffer of the program, one per loaded sample.
// Created by the render thread before the OpenGL context and destroyed after the scene
// objects that borrow its buffers.
class SoundManager {
public:
    // Opens the default device; without one the manager is not ready.
    explicit SoundManager(platform::WindowHandle window);
    ~SoundManager();

    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    bool IsReady() const { return device_ != nullptr; }
    // Ready, but on the silent output that stands in for a missing sound device.
    bool IsSilent() const;

    // An empty 3D buffer of that many bytes, kept by the manager; none for 0 bytes
    // (or fewer), without a device, or when the device refuses.
    SoundBuffer* CreateBuffer(int bytes);
    // A buffer filled with the "SoundSamples" resource of that id, not started; none
    // when the resource is missing or cannot be put into a buffer of its own size.
    SoundBuffer* LoadSample(int resourceId);
    // The same for sample bytes already at hand.
    SoundBuffer* LoadSampleBytes(const unsigned char* data, std::size_t size);

    std::size_t BufferCount() const { return buffers_.size(); }

private:
    void DropBuffer(SoundBuffer* buffer);

    platform::SoundDevice* device_ = nullptr;
    std::vector<SoundBuffer*> buffers_;  // in creation order
};
