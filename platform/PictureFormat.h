#pragma once

#include <cstddef>
#include <cstdint>

// Telling a picture file's format from its bytes and refusing, before any decoder sees
// it, a file whose claimed size would cost more memory or time than a 512 x 512 disc is
// worth. Portable: every backend's decoder runs this first on the file's bytes.
namespace platform {

enum class PictureFormat { None, Bmp, Gif, Jpeg, Png };

enum class PictureVerdict {
    Accepted,
    Unknown,   // not BMP, GIF, JPEG or PNG (TIFF, icons and metafiles included)
    Damaged,   // the header or the block structure is broken, or too little data for the size claimed
    TooLarge,  // over a pixel, memory or work bound
};

// Arithmetic-coded JPEGs can hold a block in far less than a bit, so their data says
// nothing of their size: they, and only they, keep a bound on the claimed pixels.
constexpr std::int64_t kMaxPicturePixels = 64ll * 1024 * 1024;
// The decoded bitmap's rows may take at most this much memory, counted at no less than
// 24 bits a pixel: every picture is drawn onto the disc through a 24-bit copy, so this
// also bounds that copy (a 24-megapixel photo with alpha still fits). For a JPEG it is
// the bitmap at the reduced size it is decoded at.
constexpr std::int64_t kMaxDecodedBytes = 96ll * 1024 * 1024;
// What a decoder may hold besides the bitmap: a multi-scan JPEG keeps every coefficient
// (128 bytes per 8 x 8 block) until its last scan, about 600 MB for a 200-megapixel
// progressive JPEG with halved colour.
constexpr std::int64_t kMaxDecoderWorkBytes = 640ll * 1024 * 1024;
// 8 x 8 blocks a JPEG's entropy decoder goes through, whatever the output scale: a
// 200-megapixel JPEG has 4.7 M with halved colour, 9.4 M with full colour.
constexpr std::int64_t kMaxJpegBlocks = 16ll * 1024 * 1024;
// Larger files are refused unread; 200-megapixel phone JPEGs reach 100 MB.
constexpr std::int64_t kMaxPictureFileBytes = 128ll * 1024 * 1024;
// Progressive JPEGs from encoders have about ten scans; thousands are an attack.
constexpr int kMaxJpegScans = 100;
// JPEGs are decoded at 1/2, 1/4 or 1/8 of their size as long as both sides still cover
// this many pixels.
constexpr int kReducedSizeFloor = 512;

struct PictureHeader {
    PictureFormat format = PictureFormat::None;
    // The size the file claims: a GIF's canvas (the logical screen, grown to hold the
    // first image), for the others the picture's own size.
    std::int64_t width = 0;
    std::int64_t height = 0;
    // The depth of the decoded bitmap: 8 (indexed, grey), 24 or 32.
    int bitsPerPixel = 0;
    // 1, or for a JPEG the reduction that keeps kReducedSizeFloor on both sides.
    int scaleDenominator = 1;
    // Bytes of the decoded bitmap (rows rounded to 4 bytes) at full size and at the scale above.
    std::int64_t fullScaleBytes = 0;
    std::int64_t scaledBytes = 0;
};

// Inspects a whole file held in memory. Every image a GIF holds and every scan of a JPEG
// is looked at, not only the first. reducedJpeg says whether the caller decodes JPEGs at
// scaleDenominator (the memory bound then applies to the reduced bitmap).
PictureVerdict InspectPicture(const std::uint8_t* bytes, std::size_t size, bool reducedJpeg, PictureHeader* header);

// Where a JPEG scan's entropy-coded data that starts at `from` ends: at the next marker
// that is neither a stuffed byte nor a restart; size - 1 or more when none follows.
std::size_t EndOfEntropyCodedData(const std::uint8_t* bytes, std::size_t size, std::size_t from);

// The size of one dimension after a JPEG reduction by denominator (rounded up, as the
// JPEG decoders do).
inline std::int64_t ScaledSide(std::int64_t side, int denominator) { return (side + denominator - 1) / denominator; }

}  // namespace platform
