#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// A bitmap resource converted to rows of blue, green, red and a fourth byte (0),
// top row first.
struct BgrxBitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 4 bytes
};

// False when the resource is missing or is not a picture.
bool LoadBitmapResource(int id, BgrxBitmap* out);

}  // namespace platform
