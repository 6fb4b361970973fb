#pragma once

#include <cstddef>

// Resources carried inside the executable, addressed by type and integer id.
// Types in use: "Shaders", "SoundSamples", "Bitmap", "Icon", "String".
namespace platform {

struct ResourceBytes {
    // Use size: Windows resources end without a NUL (the embedded ones here have one).
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

// False (and out untouched) when no resource of that type and id exists.
bool FindResourceBytes(const char* type, int id, ResourceBytes* out);

}  // namespace platform
