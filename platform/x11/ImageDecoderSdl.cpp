#include "platform/ImageDecoder.h"

#include <SDL.h>
#include <SDL_image.h>
#include <stb_image_resize.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>  // before jpeglib.h, which needs FILE
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <sys/stat.h>
#include <mutex>
#include <new>
#include <vector>

namespace platform {

namespace {

enum class PictureFormat { None, Bmp, Gif, Jpeg, Png };

// The decoders keep no state between calls, but one at a time keeps SDL's
// lazily loaded codecs and error text out of each other's way.
std::mutex decodeLock;

std::uint32_t BigEndian16(const std::uint8_t* p) { return (std::uint32_t(p[0]) << 8) | p[1]; }
std::uint32_t BigEndian32(const std::uint8_t* p) { return (BigEndian16(p) << 16) | BigEndian16(p + 2); }
std::uint32_t LittleEndian16(const std::uint8_t* p) { return (std::uint32_t(p[1]) << 8) | p[0]; }
std::uint32_t LittleEndian32(const std::uint8_t* p) { return (LittleEndian16(p + 2) << 16) | LittleEndian16(p); }

bool ReadExactly(SDL_RWops* stream, void* buffer, std::size_t size)
{
    return SDL_RWread(stream, buffer, 1, size) == size;
}

int ReadByte(SDL_RWops* stream)
{
    std::uint8_t byte;
    return ReadExactly(stream, &byte, 1) ? byte : -1;
}

bool SkipBytes(SDL_RWops* stream, std::int64_t count) { return SDL_RWseek(stream, count, RW_SEEK_CUR) >= 0; }

// GIF: the logical screen and the first image's own size, both of which the
// decoder allocates from.
bool ProbeGif(SDL_RWops* stream, const std::uint8_t* header, std::int64_t* width, std::int64_t* height)
{
    *width = LittleEndian16(header + 6);
    *height = LittleEndian16(header + 8);
    if (SDL_RWseek(stream, 13, RW_SEEK_SET) < 0)
        return false;
    if (header[10] & 0x80) {
        if (!SkipBytes(stream, 3 * (2 << (header[10] & 7))))
            return false;
    }
    for (;;) {
        const int block = ReadByte(stream);
        if (block == 0x2C) {
            std::uint8_t descriptor[9];
            if (!ReadExactly(stream, descriptor, sizeof descriptor))
                return false;
            const std::int64_t frameWidth = LittleEndian16(descriptor + 4);
            const std::int64_t frameHeight = LittleEndian16(descriptor + 6);
            if (frameWidth * frameHeight > *width * *height) {
                *width = frameWidth;
                *height = frameHeight;
            }
            return frameWidth > 0 && frameHeight > 0;
        }
        if (block != 0x21 || ReadByte(stream) < 0)
            return false;  // the trailer, an unknown block or the end of the file: no picture
        for (int size = ReadByte(stream); size != 0; size = ReadByte(stream)) {
            if (size < 0 || !SkipBytes(stream, size))
                return false;
        }
    }
}

// JPEG: the first start-of-frame segment before the scan.
bool ProbeJpeg(SDL_RWops* stream, std::int64_t* width, std::int64_t* height)
{
    if (SDL_RWseek(stream, 2, RW_SEEK_SET) < 0)
        return false;
    for (;;) {
        int marker = ReadByte(stream);
        if (marker != 0xFF)
            return false;
        while (marker == 0xFF)
            marker = ReadByte(stream);
        if (marker < 0 || marker == 0xD9 || marker == 0xDA)
            return false;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue;  // markers without a length
        std::uint8_t length[2];
        if (!ReadExactly(stream, length, 2) || BigEndian16(length) < 2)
            return false;
        const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                                  marker != 0xCC;
        if (startOfFrame) {
            std::uint8_t frame[5];
            if (!ReadExactly(stream, frame, sizeof frame))
                return false;
            *height = BigEndian16(frame + 1);
            *width = BigEndian16(frame + 3);
            return true;
        }
        if (!SkipBytes(stream, BigEndian16(length) - 2))
            return false;
    }
}

// Tells the format by the file's first bytes, never by its name, and reads the size
// the header claims.
PictureFormat Probe(SDL_RWops* stream, std::int64_t* width, std::int64_t* height)
{
    std::uint8_t header[26] = {};
    const std::size_t got = SDL_RWread(stream, header, 1, sizeof header);
    PictureFormat format = PictureFormat::None;
    bool known = false;
    *width = *height = 0;
    if (got >= 24 && BigEndian32(header) == 0x89504E47 && BigEndian32(header + 4) == 0x0D0A1A0A &&
        BigEndian32(header + 12) == 0x49484452) {
        format = PictureFormat::Png;
        *width = BigEndian32(header + 16);
        *height = BigEndian32(header + 20);
        known = true;
    } else if (got >= 13 && std::memcmp(header, "GIF8", 4) == 0 && (header[4] == '7' || header[4] == '9') &&
               header[5] == 'a') {
        format = PictureFormat::Gif;
        known = ProbeGif(stream, header, width, height);
    } else if (got >= 26 && header[0] == 'B' && header[1] == 'M') {
        format = PictureFormat::Bmp;
        const std::uint32_t infoSize = LittleEndian32(header + 14);
        if (infoSize == 12) {
            *width = LittleEndian16(header + 18);
            *height = LittleEndian16(header + 20);
        } else {
            *width = static_cast<std::int32_t>(LittleEndian32(header + 18));
            *height = std::llabs(static_cast<std::int32_t>(LittleEndian32(header + 22)));
        }
        known = infoSize >= 12;
    } else if (got >= 3 && header[0] == 0xFF && header[1] == 0xD8 && header[2] == 0xFF) {
        format = PictureFormat::Jpeg;
        known = ProbeJpeg(stream, width, height);
    }
    if (!known || *width <= 0 || *height <= 0)
        return PictureFormat::None;
    return format;
}

// JPEG through libjpeg itself, which can decode at 1/2, 1/4 or 1/8 of the size: the
// smallest scale that still covers kReducedSizeFloor on both sides is used, since the
// picture is only ever drawn smaller than that.
constexpr int kReducedSizeFloor = 512;

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegFailure*>(info->err)->jump, 1);
}

void OnJpegMessage(j_common_ptr, int) {}

// No C++ object with a destructor lives between setjmp and longjmp here.
bool DecodeJpeg(std::FILE* file, DecodeTarget* target)
{
    jpeg_decompress_struct info;
    JpegFailure failure;
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = OnJpegError;
    failure.manager.emit_message = OnJpegMessage;
    std::uint8_t* volatile cmykRow = nullptr;  // volatile: read again after a longjmp
    if (setjmp(failure.jump) != 0) {
        jpeg_destroy_decompress(&info);
        std::free(cmykRow);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    // Four-channel JPEGs come as CMYK, inverted when an Adobe marker says so, and are
    // turned into blue, green and red here.
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const bool inverted = info.saw_Adobe_marker;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    info.scale_num = 1;
    info.scale_denom = 1;
    for (unsigned denominator = 8; denominator > 1; denominator /= 2) {
        if (info.image_width / denominator >= kReducedSizeFloor &&
            info.image_height / denominator >= kReducedSizeFloor) {
            info.scale_denom = denominator;
            break;
        }
    }
    jpeg_start_decompress(&info);
    std::uint8_t* row = nullptr;
    int pitch = 0;
    const int width = static_cast<int>(info.output_width);
    if (info.output_components != (cmyk ? 4 : 3) ||
        !target->Allocate(width, static_cast<int>(info.output_height), 24, false, &row, &pitch)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (cmyk) {
        cmykRow = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(width) * 4));
        if (cmykRow == nullptr) {
            jpeg_destroy_decompress(&info);
            return false;
        }
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {cmyk ? cmykRow : row};
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            break;
        for (int x = 0; cmyk && x < width; ++x) {
            const std::uint8_t* in = cmykRow + x * 4;
            const unsigned k = inverted ? in[3] : 255u - in[3];
            for (int c = 0; c < 3; ++c) {
                const unsigned ink = inverted ? in[2 - c] : 255u - in[2 - c];
                row[x * 3 + c] = static_cast<std::uint8_t>((ink * k + 127) / 255);
            }
        }
        row += pitch;
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::free(cmykRow);
    return true;
}

SDL_Surface* LoadOpened(SDL_RWops* stream, PictureFormat format)
{
    if (SDL_RWseek(stream, 0, RW_SEEK_SET) != 0)
        return nullptr;
    switch (format) {
    case PictureFormat::Bmp:
        return IMG_LoadBMP_RW(stream);
    case PictureFormat::Gif:
        return IMG_LoadGIF_RW(stream);
    case PictureFormat::Png:
        return IMG_LoadPNG_RW(stream);
    case PictureFormat::Jpeg:  // decoded by DecodeJpeg
    case PictureFormat::None:
        break;
    }
    return nullptr;
}

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

// Exact area averaging over whole blocks of pixels, block i of an axis spanning
// [i * s / m, (i + 1) * s / m): a fast first stage when a picture shrinks a lot.
bool ReduceByBlocks(const std::uint8_t* source, int sourceStride, int sourceWidth, int sourceHeight,
                    int width, int height, std::vector<std::uint8_t>* out)
{
    std::vector<int> columnStart(static_cast<std::size_t>(width) + 1);
    for (int i = 0; i <= width; ++i)
        columnStart[i] = static_cast<int>(static_cast<std::int64_t>(i) * sourceWidth / width);
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(width) * 3);
    out->resize(static_cast<std::size_t>(width) * height * 3);
    for (int j = 0; j < height; ++j) {
        const int rowStart = static_cast<int>(static_cast<std::int64_t>(j) * sourceHeight / height);
        const int rowEnd = static_cast<int>(static_cast<std::int64_t>(j + 1) * sourceHeight / height);
        std::fill(sums.begin(), sums.end(), 0);
        for (int y = rowStart; y < rowEnd; ++y) {
            const std::uint8_t* row = source + static_cast<std::ptrdiff_t>(y) * sourceStride;
            for (int i = 0; i < width; ++i) {
                std::uint32_t blue = 0, green = 0, red = 0;
                for (const std::uint8_t* p = row + columnStart[i] * 3; p < row + columnStart[i + 1] * 3; p += 3) {
                    blue += p[0];
                    green += p[1];
                    red += p[2];
                }
                sums[i * 3] += blue;
                sums[i * 3 + 1] += green;
                sums[i * 3 + 2] += red;
            }
        }
        std::uint8_t* target = out->data() + static_cast<std::size_t>(j) * width * 3;
        for (int i = 0; i < width; ++i) {
            const std::uint64_t count =
                static_cast<std::uint64_t>(columnStart[i + 1] - columnStart[i]) * (rowEnd - rowStart);
            for (int c = 0; c < 3; ++c)
                target[i * 3 + c] = static_cast<std::uint8_t>((sums[i * 3 + c] + count / 2) / count);
        }
    }
    return true;
}

}  // namespace

bool StartImageDecoder()
{
    const int wanted = IMG_INIT_JPG | IMG_INIT_PNG;
    return (IMG_Init(wanted) & wanted) == wanted;
}

void StopImageDecoder() { IMG_Quit(); }

bool ProbeImageFile(const char* path, int* width, int* height)
{
    struct stat status;
    if (path == nullptr || stat(path, &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    SDL_RWops* stream = SDL_RWFromFile(path, "rb");
    if (stream == nullptr)
        return false;
    std::int64_t w = 0;
    std::int64_t h = 0;
    const PictureFormat format = Probe(stream, &w, &h);
    SDL_RWclose(stream);
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return format != PictureFormat::None;
}

int DecodeImageFile(const char* path, std::int64_t maxPixels, DecodeTarget* target)
{
    // Only plain files: opening a pipe named like a picture would wait for a writer forever.
    struct stat status;
    if (path == nullptr || stat(path, &status) != 0 || !S_ISREG(status.st_mode))
        return 1;
    std::lock_guard<std::mutex> hold(decodeLock);
    SDL_RWops* stream = SDL_RWFromFile(path, "rb");
    if (stream == nullptr)
        return 1;
    std::int64_t width = 0;
    std::int64_t height = 0;
    const PictureFormat format = Probe(stream, &width, &height);
    // A header claiming a vast picture is refused before anything is allocated for it.
    if (format == PictureFormat::None || width * height > maxPixels) {
        SDL_RWclose(stream);
        return 1;
    }
    SDL_RWclose(stream);
    if (format == PictureFormat::Jpeg) {
        std::FILE* file = std::fopen(path, "rb");
        if (file == nullptr)
            return 1;
        const bool decoded = DecodeJpeg(file, target);
        std::fclose(file);
        return decoded ? 0 : 1;
    }
    stream = SDL_RWFromFile(path, "rb");
    if (stream == nullptr)
        return 1;
    SDL_Surface* surface = LoadOpened(stream, format);
    SDL_RWclose(stream);
    if (surface == nullptr)
        return 1;
    const int result = CopyIntoTarget(surface, target);
    SDL_FreeSurface(surface);
    return result;
}

bool ResampleBgr24(const std::uint8_t* source, int sourceStride, int sourceWidth, int sourceHeight,
                   std::uint8_t* target, int targetStride, int targetWidth, int targetHeight)
{
    if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0)
        return false;
    // Shrinking by two or more: whole blocks first, so the filter below only finishes a
    // reduction of less than two (the same area average, far fewer samples to weigh).
    const int blockWidth = sourceWidth / targetWidth > 1 ? sourceWidth / targetWidth : 1;
    const int blockHeight = sourceHeight / targetHeight > 1 ? sourceHeight / targetHeight : 1;
    if (blockWidth > 1 || blockHeight > 1) {
        std::vector<std::uint8_t> reduced;
        const int width = sourceWidth / blockWidth;
        const int height = sourceHeight / blockHeight;
        ReduceByBlocks(source, sourceStride, sourceWidth, sourceHeight, width, height, &reduced);
        return ResampleBgr24(reduced.data(), width * 3, width, height, target, targetStride, targetWidth,
                             targetHeight);
    }
    // Area averaging (the box filter) where an axis shrinks, bilinear where it grows.
    const stbir_filter horizontal = targetWidth > sourceWidth ? STBIR_FILTER_TRIANGLE : STBIR_FILTER_BOX;
    const stbir_filter vertical = targetHeight > sourceHeight ? STBIR_FILTER_TRIANGLE : STBIR_FILTER_BOX;
    return stbir_resize(source, sourceWidth, sourceHeight, sourceStride, target, targetWidth, targetHeight,
                        targetStride, STBIR_TYPE_UINT8, 3, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP,
                        STBIR_EDGE_CLAMP, horizontal, vertical, STBIR_COLORSPACE_LINEAR, nullptr) != 0;
}

}  // namespace platform
