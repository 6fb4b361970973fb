#pragma once

#include <cstddef>

// Resources carried inside the executable, addressed by type and integer id.
// Types in use: "Shaders", "SoundSamples", "Bitmap", "Icon", "String".
namespace platform {

struct ResourceBytes {
    const unsigned char* data = nullptr;  // followed by a NUL byte not counted in size
    std::size_t size = 0;
};

// False (and out untouched) when no resource of that type and id exists.
bool FindResource(const char* type, int id, ResourceBytes* out);

}  // namespace platform
