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

// Decoded bitmaps (at the size they are decoded at) of more pixels than this are refused.
constexpr std::int64_t kMaxDecodedPixels = kMaxPicturePixels;

// Why a picture file gave no picture.
enum class PictureFailure {
    None,
    Unreadable,   // missing, not a plain file, or could not be read
    NotAPicture,  // not BMP, GIF, JPEG or PNG, whatever its name says
    Damaged,      // cut short, corrupt, or a header that lies about the size
    TooLarge,     // over a bound on the file, the decoded bitmap or the decoder's work
};

// Starting and stopping the decoder library; the caller serialises them.
bool StartImageDecoder();
void StopImageDecoder();

// Opens only a plain file, without blocking, and refuses one that InspectPicture
// refuses (not one of the four formats whatever its name says, damaged, over a bound)
// or whose decoded bitmap would hold more than maxPixels pixels; a damaged or cut file
// is an error. None on success; otherwise nothing is left allocated through target but
// what target frees itself.
PictureFailure DecodeImageFile(const char* path, std::int64_t maxPixels, DecodeTarget* target);

// What InspectPicture's verdict means for the caller.
inline PictureFailure FailureOf(PictureVerdict verdict)
{
    switch (verdict) {
    case PictureVerdict::Accepted:
        return PictureFailure::None;
    case PictureVerdict::Unknown:
        return PictureFailure::NotAPicture;
    case PictureVerdict::Damaged:
        return PictureFailure::Damaged;
    case PictureVerdict::TooLarge:
        break;
    }
    return PictureFailure::TooLarge;
}

// The size a picture file's header claims; false when it is not a recognised picture.
bool ProbeImageFile(const char* path, int* width, int* height);

// Resamples 24-bit rows (blue, green, red; strides positive, in bytes): area-averaging
// where it shrinks, smooth interpolation where it enlarges, per axis. False on failure.
bool ResampleBgr24(const std::uint8_t* source, int sourceStride, int sourceWidth, int sourceHeight,
                   std::uint8_t* target, int targetStride, int targetWidth, int targetHeight);

}  // namespace platform
