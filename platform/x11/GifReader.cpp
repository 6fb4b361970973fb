#include "platform/x11/PictureReaders.h"

#include <gif_lib.h>

#include <cstring>

namespace platform {

namespace {

struct MemorySource {
    const std::uint8_t* bytes;
    std::size_t size;
    std::size_t at;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int length)
{
    MemorySource* source = static_cast<MemorySource*>(gif->UserData);
    const std::size_t left = source->size - source->at;
    const std::size_t count = length < 0 ? 0 : static_cast<std::size_t>(length) < left ? length : left;
    std::memcpy(out, source->bytes + source->at, count);
    source->at += count;
    return static_cast<int>(count);  // short at the end of the file, which giflib takes as an error
}

bool SkipExtension(GifFileType* gif)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) != GIF_OK)
        return false;
    while (block != nullptr) {
        if (DGifGetExtensionNext(gif, &block) != GIF_OK)
            return false;
    }
    return true;
}

// The first image, drawn at its place on a canvas of the inspected size filled with the
// background colour; later images (animation frames) are not drawn.
bool DrawFirstImage(GifFileType* gif, const PictureHeader& header, DecodeTarget* target)
{
    const GifImageDesc& image = gif->Image;
    if (image.Width <= 0 || image.Height <= 0 || image.Left < 0 || image.Top < 0 ||
        image.Left + image.Width > header.width || image.Top + image.Height > header.height)
        return false;
    std::uint8_t* topRow = nullptr;
    int pitch = 0;
    const int width = static_cast<int>(header.width);
    const int height = static_cast<int>(header.height);
    if (!target->Allocate(width, height, 8, false, &topRow, &pitch))
        return false;
    const ColorMapObject* map = image.ColorMap != nullptr ? image.ColorMap : gif->SColorMap;
    PaletteColour entries[256];
    int count = 0;
    if (map != nullptr) {
        for (; count < map->ColorCount && count < 256; ++count) {
            entries[count].red = map->Colors[count].Red;
            entries[count].green = map->Colors[count].Green;
            entries[count].blue = map->Colors[count].Blue;
        }
    } else {
        for (; count < 256; ++count)
            entries[count].red = entries[count].green = entries[count].blue = static_cast<std::uint8_t>(count);
    }
    target->SetColourTable(entries, count);
    for (int y = 0; y < height; ++y)
        std::memset(topRow + static_cast<std::ptrdiff_t>(y) * pitch, gif->SBackGroundColor, width);

    auto line = [&](int y) {
        return DGifGetLine(gif, topRow + static_cast<std::ptrdiff_t>(image.Top + y) * pitch + image.Left,
                           image.Width) == GIF_OK;
    };
    if (image.Interlace) {
        static const int kStart[4] = {0, 4, 2, 1};
        static const int kStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int y = kStart[pass]; y < image.Height; y += kStep[pass]) {
                if (!line(y))
                    return false;
            }
        }
        return true;
    }
    for (int y = 0; y < image.Height; ++y) {
        if (!line(y))
            return false;
    }
    return true;
}

}  // namespace

bool ReadGif(const std::uint8_t* bytes, std::size_t size, const PictureHeader& header, DecodeTarget* target)
{
    MemorySource source = {bytes, size, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, ReadFromMemory, &error);
    if (gif == nullptr)
        return false;
    bool drawn = false;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) != GIF_OK)
            break;
        if (record == EXTENSION_RECORD_TYPE) {
            if (!SkipExtension(gif))
                break;
            continue;
        }
        if (record == IMAGE_DESC_RECORD_TYPE && DGifGetImageDesc(gif) == GIF_OK)
            drawn = DrawFirstImage(gif, header, target);
        break;
    }
    DGifCloseFile(gif, &error);
    return drawn;
}

}  // namespace platform
