#include "platform/ImageDecoder.h"

#include <SDL.h>
#include <SDL_image.h>
#include <stb_image_resize.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/BlockReduction.h"
#include "platform/ExifOrientation.h"
#include "platform/PictureFormat.h"
#include "platform/x11/PictureReaders.h"

// PNG, GIF and JPEG go to their own libraries (libpng, giflib, libjpeg), whose limits and
// error handling can be set; BMP, whose reader allocates nothing beyond the bitmap the
// header claims, to SDL2_image.
namespace platform {

namespace {

// SDL keeps its error text in one place for the process.
std::mutex sdlLock;

int CopyIntoTarget(SDL_Surface* surface, DecodeTarget* target)
{
    const Uint32 format = surface->format->format;
    int bitsPerPixel = 32;
    bool hasAlpha = false;
    Uint32 targetFormat = SDL_PIXELFORMAT_XRGB8888;  // bytes blue, green, red, unused
    if (format == SDL_PIXELFORMAT_INDEX8 && surface->format->palette != nullptr) {
        bitsPerPixel = 8;
        targetFormat = format;
    } else if (SDL_ISPIXELFORMAT_ALPHA(format)) {
        hasAlpha = true;
        targetFormat = SDL_PIXELFORMAT_BGRA32;
    } else if (surface->format->BytesPerPixel == 3) {
        bitsPerPixel = 24;
        targetFormat = SDL_PIXELFORMAT_BGR24;
    }

    std::uint8_t* row = nullptr;
    int pitch = 0;
    if (!target->Allocate(surface->w, surface->h, bitsPerPixel, hasAlpha, &row, &pitch))
        return 1;
    if (bitsPerPixel == 8) {
        const SDL_Palette* palette = surface->format->palette;
        PaletteColour entries[256];
        const int count = palette->ncolors < 256 ? palette->ncolors : 256;
        for (int i = 0; i < count; ++i) {
            entries[i].red = palette->colors[i].r;
            entries[i].green = palette->colors[i].g;
            entries[i].blue = palette->colors[i].b;
        }
        target->SetColourTable(entries, count);
    }
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return 1;
    int result = 0;
    const std::uint8_t* source = static_cast<const std::uint8_t*>(surface->pixels);
    for (int y = 0; y < surface->h && result == 0; ++y, source += surface->pitch, row += pitch) {
        if (SDL_ConvertPixels(surface->w, 1, format, source, surface->pitch, targetFormat, row,
                              surface->w * (bitsPerPixel / 8)) != 0)
            result = 1;
    }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    return result;
}

bool ReadBmp(const std::uint8_t* bytes, std::size_t size, const PictureHeader& header, DecodeTarget* target)
{
    std::lock_guard<std::mutex> hold(sdlLock);
    SDL_RWops* stream = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    if (stream == nullptr)
        return false;
    SDL_Surface* surface = IMG_LoadBMP_RW(stream);
    SDL_RWclose(stream);
    if (surface == nullptr) {
        SDL_TLSCleanup();
        return false;
    }
    const bool asInspected = surface->w == header.width && surface->h == header.height;
    const bool copied = asInspected && CopyIntoTarget(surface, target) == 0;
    SDL_FreeSurface(surface);
    // SDL keeps its error text per thread and frees it only for threads it started
    // itself; decoding threads come and go.
    SDL_TLSCleanup();
    return copied;
}

}  // namespace

bool StartImageDecoder() { return true; }

void StopImageDecoder() {}

bool ProbeImageFile(const char* path, int* width, int* height)
{
    std::vector<std::uint8_t> bytes;
    if (ReadPictureFile(path, &bytes) != PictureFailure::None)
        return false;
    PictureHeader header;
    const PictureVerdict verdict = InspectPicture(bytes.data(), bytes.size(), true, &header);
    if (verdict != PictureVerdict::Accepted && verdict != PictureVerdict::TooLarge)
        return false;
    *width = static_cast<int>(std::min<std::int64_t>(header.width, 0x7FFFFFFF));
    *height = static_cast<int>(std::min<std::int64_t>(header.height, 0x7FFFFFFF));
    return true;
}

PictureFailure DecodeImageFile(const char* path, std::int64_t maxPixels, DecodeTarget* target)
{
    std::vector<std::uint8_t> bytes;
    const PictureFailure read = ReadPictureFile(path, &bytes);
    if (read != PictureFailure::None)
        return read;
    PictureHeader header;
    const PictureVerdict verdict = InspectPicture(bytes.data(), bytes.size(), true, &header);
    if (verdict != PictureVerdict::Accepted)
        return FailureOf(verdict);
    if (ScaledSide(header.width, header.scaleDenominator) * ScaledSide(header.height, header.scaleDenominator) >
        maxPixels)
        return PictureFailure::TooLarge;
    bool decoded = false;
    switch (header.format) {
    case PictureFormat::Png:
        decoded = ReadPng(bytes.data(), bytes.size(), header, target);
        break;
    case PictureFormat::Gif:
        decoded = ReadGif(bytes.data(), bytes.size(), header, target);
        break;
    case PictureFormat::Jpeg:
        target->SetOrientation(ReadJpegOrientation(bytes.data(), bytes.size()));
        decoded = ReadJpeg(bytes.data(), bytes.size(), header, target);
        break;
    case PictureFormat::Bmp:
        decoded = ReadBmp(bytes.data(), bytes.size(), header, target);
        break;
    case PictureFormat::None:
        break;
    }
    return decoded ? PictureFailure::None : PictureFailure::Damaged;
}

bool FilterBgr24(const std::uint8_t* source, int sourceStride, int sourceWidth, int sourceHeight,
                 std::uint8_t* target, int targetStride, int targetWidth, int targetHeight)
{
    // Area averaging (the box filter) where an axis shrinks, bilinear where it grows.
    const stbir_filter horizontal = targetWidth > sourceWidth ? STBIR_FILTER_TRIANGLE : STBIR_FILTER_BOX;
    const stbir_filter vertical = targetHeight > sourceHeight ? STBIR_FILTER_TRIANGLE : STBIR_FILTER_BOX;
    return stbir_resize(source, sourceWidth, sourceHeight, sourceStride, target, targetWidth, targetHeight,
                        targetStride, STBIR_TYPE_UINT8, 3, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP,
                        STBIR_EDGE_CLAMP, horizontal, vertical, STBIR_COLORSPACE_LINEAR, nullptr) != 0;
}

}  // namespace platform
