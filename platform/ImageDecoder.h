#pragma once

#include <cstdint>

#include "platform/PictureFormat.h"

// Decoding picture files (BMP, GIF, JPEG, PNG) and resampling pixel rows with
// halftone-quality filtering. GDI+ and GDI do this on Windows; libpng, giflib,
// libjpeg, SDL2_image (BMP) and stb_image_resize elsewhere. Every backend runs
// InspectPicture (PictureFormat.h) on the file's bytes before its decoder sees them.
namespace platform {

// One colour-table entry in the byte order of a device-independent bitmap.
struct PaletteColour {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
};

// Where a decoder puts a picture. Indexed pictures keep 8 bits with their colour
// table; true-colour pictures come as 24 bits (blue, green, red); pictures with an
// alpha channel as 32 bits (blue, green, red, alpha) with hasAlpha; anything else as
// 32 bits with the fourth byte 0.
class DecodeTarget {
public:
    virtual ~DecodeTarget() = default;
    // Storage for height rows: topRow is the top row, pitch the signed distance to the
    // row below. False when it cannot be had (the decode then fails).
    virtual bool Allocate(int width, int height, int bitsPerPixel, bool hasAlpha, std::uint8_t** topRow,
                          int* pitch) = 0;
    virtual void SetColourTable(const PaletteColour* entries, int count) = 0;
    // A JPEG's recorded orientation (ExifOrientation.h); the rows come as stored, and
    // the target turns them upright. Other formats never call it.
    virtual void SetOrientation(int orientation) { (void)orientation; }
};

// Pictures whose width times height exceeds this are refused unread.
constexpr std::int64_t kMaxDecodedPixels = kMaxPicturePixels;

// Starting and stopping the decoder library; the caller serialises them.
bool StartImageDecoder();
void StopImageDecoder();

// Opens only a plain file, without blocking, and refuses one that InspectPicture
// refuses (not one of the four formats whatever its name says, damaged, over a bound)
// or that claims more than maxPixels pixels; a damaged or cut file is an error.
// 0 on success; non-zero leaves nothing allocated through target but what target
// frees itself.
int DecodeImageFile(const char* path, std::int64_t maxPixels, DecodeTarget* target);

// The size a picture file's header claims; false when it is not a recognised picture.
bool ProbeImageFile(const char* path, int* width, int* height);

// Resamples 24-bit rows (blue, green, red; strides positive, in bytes): area-averaging
// where it shrinks, smooth interpolation where it enlarges, per axis. False on failure.
bool ResampleBgr24(const std::uint8_t* source, int sourceStride, int sourceWidth, int sourceHeight,
                   std::uint8_t* target, int targetStride, int targetWidth, int targetHeight);

}  // namespace platform
