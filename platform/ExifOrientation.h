#pragma once

#include <cstddef>
#include <cstdint>

// The orientation a camera or phone records for a JPEG (the Exif tag 0x0112 in IFD0 of
// the APP1 "Exif" segment): how the stored rows must be turned to stand upright.
// Portable, on the file's bytes; bounded by the buffer, never following an IFD's link
// to the next one, so a damaged or lying block cannot make it read out of bounds or loop.
namespace platform {

enum ExifOrientation {
    kOrientationUpright = 1,
    kOrientationMirrored = 2,               // left and right swapped
    kOrientationUpsideDown = 3,             // turned half a turn
    kOrientationFlipped = 4,                // top and bottom swapped
    kOrientationTransposed = 5,             // mirrored, then a quarter turn anticlockwise
    kOrientationTurnedClockwise = 6,        // stored rows must turn a quarter turn clockwise
    kOrientationTransverse = 7,             // mirrored, then a quarter turn clockwise
    kOrientationTurnedAnticlockwise = 8,    // stored rows must turn a quarter turn anticlockwise
};

// 1 to 8; 1 when the bytes are no JPEG, hold no Exif block, or the block or the tag is
// damaged or out of range.
int ReadJpegOrientation(const std::uint8_t* bytes, std::size_t size);

// Whether the upright picture's width is the stored height.
inline bool OrientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

}  // namespace platform
