#include "platform/x11/PictureReaders.h"

#include <png.h>

#include <cstring>

namespace platform {

namespace {

struct MemorySource {
    const std::uint8_t* bytes;
    std::size_t size;
    std::size_t at;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    MemorySource* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (length > source->size - source->at)
        png_error(png, "end of file");  // an error, so a cut file can never be read again and again
    std::memcpy(out, source->bytes + source->at, length);
    source->at += length;
}

// libpng's own handlers print to stderr; a damaged file is simply refused.
void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

// Chunks this decoder has no use for are skipped unread, so they cost no memory.
const png_byte kIgnoredChunks[] = {
    'b', 'K', 'G', 'D', '\0', 'c', 'H', 'R', 'M', '\0', 'e', 'X', 'I', 'f', '\0', 'g', 'A', 'M', 'A', '\0',
    'h', 'I', 'S', 'T', '\0', 'i', 'C', 'C', 'P', '\0', 'i', 'T', 'X', 't', '\0', 'o', 'F', 'F', 's', '\0',
    'p', 'C', 'A', 'L', '\0', 'p', 'H', 'Y', 's', '\0', 's', 'B', 'I', 'T', '\0', 's', 'C', 'A', 'L', '\0',
    's', 'P', 'L', 'T', '\0', 's', 'R', 'G', 'B', '\0', 's', 'T', 'E', 'R', '\0', 't', 'E', 'X', 't', '\0',
    't', 'I', 'M', 'E', '\0', 't', 'R', 'N', 'S', '\0', 'z', 'T', 'X', 't', '\0'};

}  // namespace

// No C++ object with a destructor lives between setjmp and longjmp here.
bool ReadPng(const std::uint8_t* bytes, std::size_t size, const PictureHeader& header, DecodeTarget* target)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    MemorySource source = {bytes, size, 0};
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &source, ReadFromMemory);
    png_set_user_limits(png, static_cast<png_uint_32>(header.width), static_cast<png_uint_32>(header.height));
    png_set_chunk_cache_max(png, 64);
    png_set_chunk_malloc_max(png, 1 << 20);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks,
                                static_cast<int>(sizeof kIgnoredChunks / 5));
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int colourType = png_get_color_type(png, info);
    if (width != header.width || height != header.height)
        png_error(png, "size differs from the inspected one");
    if (png_get_bit_depth(png, info) == 16)
        png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_packing(png);
    if (colourType == PNG_COLOR_TYPE_GRAY)
        png_set_expand_gray_1_2_4_to_8(png);
    if (colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (colourType != PNG_COLOR_TYPE_PALETTE && colourType != PNG_COLOR_TYPE_GRAY)
        png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    // Palettes and grey stay indexed; colour comes as blue, green, red (and alpha).
    const int bitsPerPixel = header.bitsPerPixel;
    const bool hasAlpha = bitsPerPixel == 32;
    if (png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * (bitsPerPixel / 8))
        png_error(png, "unexpected row layout");
    std::uint8_t* topRow = nullptr;
    int pitch = 0;
    if (!target->Allocate(static_cast<int>(width), static_cast<int>(height), bitsPerPixel, hasAlpha, &topRow,
                          &pitch))
        png_error(png, "no memory");
    PaletteColour entries[256];
    int count = 0;
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp palette = nullptr;
        if (png_get_PLTE(png, info, &palette, &count) == 0)
            png_error(png, "no palette");
        for (int i = 0; i < count && i < 256; ++i) {
            entries[i].red = palette[i].red;
            entries[i].green = palette[i].green;
            entries[i].blue = palette[i].blue;
        }
    } else if (colourType == PNG_COLOR_TYPE_GRAY) {
        for (count = 0; count < 256; ++count)
            entries[count].red = entries[count].green = entries[count].blue = static_cast<std::uint8_t>(count);
    }
    if (count > 0)
        target->SetColourTable(entries, count < 256 ? count : 256);
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, topRow + static_cast<std::ptrdiff_t>(y) * pitch, nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace platform
