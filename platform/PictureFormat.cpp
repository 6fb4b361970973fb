#include "platform/PictureFormat.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

std::uint32_t BigEndian16(const std::uint8_t* p) { return (std::uint32_t(p[0]) << 8) | p[1]; }
std::uint32_t BigEndian32(const std::uint8_t* p) { return (BigEndian16(p) << 16) | BigEndian16(p + 2); }
std::uint32_t LittleEndian16(const std::uint8_t* p) { return (std::uint32_t(p[1]) << 8) | p[0]; }
std::uint32_t LittleEndian32(const std::uint8_t* p) { return (LittleEndian16(p + 2) << 16) | LittleEndian16(p); }

std::int64_t RowsBytes(std::int64_t width, std::int64_t height, int bitsPerPixel)
{
    return ((bitsPerPixel * width + 31) / 32) * 4 * height;
}

// The bounds every image of a file must keep, whichever one a decoder ends up drawing.
bool WithinBounds(std::int64_t width, std::int64_t height, int bitsPerPixel)
{
    return RowsBytes(width, height, std::max(bitsPerPixel, 24)) <= kMaxDecodedBytes;
}

PictureVerdict InspectPng(const std::uint8_t* bytes, std::size_t size, PictureHeader* header)
{
    if (size < 33 || BigEndian32(bytes + 8) != 13 || std::memcmp(bytes + 12, "IHDR", 4) != 0)
        return PictureVerdict::Damaged;
    const std::int64_t width = BigEndian32(bytes + 16);
    const std::int64_t height = BigEndian32(bytes + 20);
    const int depth = bytes[24];
    const int colourType = bytes[25];
    const bool depthFits = (colourType == 0 && (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)) ||
                           (colourType == 3 && (depth == 1 || depth == 2 || depth == 4 || depth == 8)) ||
                           ((colourType == 2 || colourType == 4 || colourType == 6) && (depth == 8 || depth == 16));
    if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF || !depthFits || bytes[26] != 0 ||
        bytes[27] != 0 || bytes[28] > 1)
        return PictureVerdict::Damaged;
    header->width = width;
    header->height = height;
    header->bitsPerPixel = colourType == 2 ? 24 : colourType >= 4 ? 32 : 8;
    return PictureVerdict::Accepted;
}

// Walks every block of a GIF: each image's size is checked, not only the first one's.
PictureVerdict InspectGif(const std::uint8_t* bytes, std::size_t size, PictureHeader* header)
{
    if (size < 13)
        return PictureVerdict::Damaged;
    const std::int64_t screenWidth = LittleEndian16(bytes + 6);
    const std::int64_t screenHeight = LittleEndian16(bytes + 8);
    std::size_t at = 13;
    if (bytes[10] & 0x80)
        at += 3u << ((bytes[10] & 7) + 1);
    bool sawImage = false;
    auto skipSubBlocks = [&]() {
        while (at < size && bytes[at] != 0)
            at += 1u + bytes[at];
        if (at >= size)
            return false;
        ++at;
        return true;
    };
    while (at < size) {
        const std::uint8_t block = bytes[at++];
        if (block == 0x3B)
            break;  // the trailer
        if (block == 0x21) {
            if (++at > size || !skipSubBlocks())
                break;
            continue;
        }
        if (block != 0x2C || at + 9 > size)
            break;  // damage after the images already seen; decoders stop there too
        const std::int64_t left = LittleEndian16(bytes + at);
        const std::int64_t top = LittleEndian16(bytes + at + 2);
        const std::int64_t width = LittleEndian16(bytes + at + 4);
        const std::int64_t height = LittleEndian16(bytes + at + 6);
        const std::uint8_t flags = bytes[at + 8];
        if (!WithinBounds(width, height, 8)) {
            header->width = width;
            header->height = height;
            return PictureVerdict::TooLarge;
        }
        if (!sawImage) {
            if (width == 0 || height == 0)
                return PictureVerdict::Damaged;
            header->width = std::max(screenWidth, left + width);
            header->height = std::max(screenHeight, top + height);
            sawImage = true;
        }
        at += 9;
        if (flags & 0x80)
            at += 3u << ((flags & 7) + 1);
        if (++at > size || !skipSubBlocks())  // the code size, then the image data
            break;
    }
    if (!sawImage)
        return PictureVerdict::Damaged;
    header->bitsPerPixel = 8;
    return PictureVerdict::Accepted;
}

// A JPEG's frame: its components' sampling, and the 8 x 8 blocks a scan of some of them covers.
struct JpegFrame {
    std::int64_t width = 0;
    std::int64_t height = 0;
    int components = 0;
    int ids[4] = {};
    int sampling[4][2] = {};
    int maxH = 1;
    int maxV = 1;

    int IndexOf(int id) const
    {
        for (int c = 0; c < components; ++c) {
            if (ids[c] == id)
                return c;
        }
        return -1;
    }
    std::int64_t BlocksOf(int c) const
    {
        const std::int64_t across = (width * sampling[c][0] + maxH * 8 - 1) / (maxH * 8);
        const std::int64_t down = (height * sampling[c][1] + maxV * 8 - 1) / (maxV * 8);
        return across * down;
    }
    std::int64_t Mcus() const
    {
        return ((width + maxH * 8 - 1) / (maxH * 8)) * ((height + maxV * 8 - 1) / (maxV * 8));
    }
};

// A JPEG's frame header, and a walk over its markers that counts its scans and measures
// each scan's entropy-coded data. A Huffman-coded scan that holds DC values spends at
// least one bit on each block it covers: a header that claims more blocks than the data
// can hold lies about its size, and is refused before any decoder allocates for it.
PictureVerdict InspectJpeg(const std::uint8_t* bytes, std::size_t size, PictureHeader* header)
{
    std::size_t at = 2;
    JpegFrame frame;
    bool sawFrame = false;
    bool multiScan = false;
    bool arithmetic = false;
    int scans = 0;
    while (at + 1 < size) {
        if (bytes[at] != 0xFF) {
            if (!sawFrame)
                return PictureVerdict::Damaged;
            break;  // junk where a marker should be: decoders stop there too
        }
        const std::uint8_t marker = bytes[at + 1];
        at += 2;
        if (marker == 0xFF) {
            --at;  // fill byte
            continue;
        }
        if (marker == 0xD9)
            break;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue;  // markers without a length
        if (at + 2 > size)
            break;
        const std::size_t length = BigEndian16(bytes + at);
        if (length < 2 || at + length > size)
            break;
        const std::uint8_t* segment = bytes + at + 2;
        const bool frameMarker = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                                 marker != 0xCC;
        if (frameMarker && !sawFrame) {
            if (length < 8)
                return PictureVerdict::Damaged;
            frame.height = BigEndian16(segment + 1);
            frame.width = BigEndian16(segment + 3);
            frame.components = segment[5];
            if (frame.width == 0 || frame.height == 0 || frame.components < 1 || frame.components > 4 ||
                length < 8u + 3u * frame.components)
                return PictureVerdict::Damaged;
            for (int c = 0; c < frame.components; ++c) {
                frame.ids[c] = segment[6 + 3 * c];
                frame.sampling[c][0] = segment[7 + 3 * c] >> 4;
                frame.sampling[c][1] = segment[7 + 3 * c] & 15;
                if (frame.sampling[c][0] < 1 || frame.sampling[c][0] > 4 || frame.sampling[c][1] < 1 ||
                    frame.sampling[c][1] > 4)
                    return PictureVerdict::Damaged;
                frame.maxH = std::max(frame.maxH, frame.sampling[c][0]);
                frame.maxV = std::max(frame.maxV, frame.sampling[c][1]);
            }
            header->width = frame.width;
            header->height = frame.height;
            multiScan = (marker & 3) == 2;  // progressive
            arithmetic = marker >= 0xC9;
            sawFrame = true;
        }
        at += length;
        if (marker != 0xDA)
            continue;
        if (!sawFrame)
            return PictureVerdict::Damaged;
        if (++scans > kMaxJpegScans)
            return PictureVerdict::TooLarge;
        const int scanComponents = segment[0];
        if (scanComponents < 1 || scanComponents > 4 || length < 6u + 2u * scanComponents)
            return PictureVerdict::Damaged;
        if (scans == 1 && scanComponents < frame.components)
            multiScan = true;  // components in scans of their own: buffered whole, as progressive ones are
        std::int64_t scanBlocks = 0;
        for (int i = 0; i < scanComponents; ++i) {
            const int c = frame.IndexOf(segment[1 + 2 * i]);
            if (c < 0)
                return PictureVerdict::Damaged;
            scanBlocks += scanComponents == 1 ? frame.BlocksOf(c)
                                              : frame.Mcus() * frame.sampling[c][0] * frame.sampling[c][1];
        }
        const bool holdsDc = segment[1 + 2 * scanComponents] == 0;
        // The entropy-coded data runs to the next marker that is not a stuffed byte or a restart.
        const std::size_t dataStart = at;
        at = EndOfEntropyCodedData(bytes, size, at);
        if (!arithmetic && holdsDc && static_cast<std::int64_t>(at - dataStart) * 8 < scanBlocks)
            return PictureVerdict::Damaged;
    }
    if (!sawFrame)
        return PictureVerdict::Damaged;
    std::int64_t blocks = 0;
    std::int64_t coefficientBytes = 0;
    for (int c = 0; c < frame.components; ++c) {
        blocks += frame.BlocksOf(c);
        // What libjpeg allocates: whole MCU rows and columns, and one more of each.
        const std::int64_t across = (frame.width * frame.sampling[c][0] + frame.maxH * 8 - 1) / (frame.maxH * 8) + frame.maxH;
        const std::int64_t down = (frame.height * frame.sampling[c][1] + frame.maxV * 8 - 1) / (frame.maxV * 8) + frame.maxV;
        coefficientBytes += across * down * 128;
    }
    if (blocks > kMaxJpegBlocks || (multiScan && coefficientBytes > kMaxDecoderWorkBytes) ||
        (arithmetic && frame.width * frame.height > kMaxPicturePixels))
        return PictureVerdict::TooLarge;
    header->bitsPerPixel = 24;
    return PictureVerdict::Accepted;
}

PictureVerdict InspectBmp(const std::uint8_t* bytes, std::size_t size, PictureHeader* header)
{
    if (size < 26)
        return PictureVerdict::Damaged;
    const std::uint32_t infoSize = LittleEndian32(bytes + 14);
    int depth = 0;
    std::uint32_t compression = 0;
    if (infoSize == 12) {
        header->width = LittleEndian16(bytes + 18);
        header->height = LittleEndian16(bytes + 20);
        depth = static_cast<int>(LittleEndian16(bytes + 24));
    } else {
        if (infoSize < 16 || size < 34)
            return PictureVerdict::Damaged;
        header->width = static_cast<std::int32_t>(LittleEndian32(bytes + 18));
        header->height = static_cast<std::int32_t>(LittleEndian32(bytes + 22));
        if (header->height < 0)
            header->height = -header->height;  // top-down rows
        depth = static_cast<int>(LittleEndian16(bytes + 28));
        compression = infoSize >= 20 ? LittleEndian32(bytes + 30) : 0;
    }
    const bool depthFits = depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
    // Plain rows, run lengths of 8 or 4 bits, or bit fields; JPEG or PNG inside a BMP is not read.
    const bool compressionFits = compression == 0 || (compression == 1 && depth == 8) ||
                                 (compression == 2 && depth == 4) ||
                                 ((compression == 3 || compression == 6) && (depth == 16 || depth == 32));
    // Rows said to start at or past the end of the file: some decoders (Wine's GDI+) read
    // there without looking.
    const std::uint32_t rowsOffset = LittleEndian32(bytes + 10);
    if (header->width <= 0 || header->height <= 0 || !depthFits || !compressionFits || rowsOffset >= size)
        return PictureVerdict::Damaged;
    header->bitsPerPixel = depth <= 8 ? 8 : depth == 24 ? 24 : 32;
    return PictureVerdict::Accepted;
}

int JpegScale(std::int64_t width, std::int64_t height)
{
    for (int denominator = 8; denominator > 1; denominator /= 2) {
        if (width / denominator >= kReducedSizeFloor && height / denominator >= kReducedSizeFloor)
            return denominator;
    }
    return 1;
}

}  // namespace

PictureVerdict InspectPicture(const std::uint8_t* bytes, std::size_t size, bool reducedJpeg, PictureHeader* header)
{
    *header = PictureHeader();
    if (bytes == nullptr)
        return PictureVerdict::Unknown;
    if (static_cast<std::int64_t>(size) > kMaxPictureFileBytes)
        return PictureVerdict::TooLarge;
    PictureFormat format = PictureFormat::None;
    if (size >= 8 && std::memcmp(bytes, "\x89PNG\r\n\x1A\n", 8) == 0)
        format = PictureFormat::Png;
    else if (size >= 6 && (std::memcmp(bytes, "GIF87a", 6) == 0 || std::memcmp(bytes, "GIF89a", 6) == 0))
        format = PictureFormat::Gif;
    else if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF)
        format = PictureFormat::Jpeg;
    else if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        format = PictureFormat::Bmp;
    PictureVerdict verdict = PictureVerdict::Unknown;
    switch (format) {
    case PictureFormat::Png:
        verdict = InspectPng(bytes, size, header);
        break;
    case PictureFormat::Gif:
        verdict = InspectGif(bytes, size, header);
        break;
    case PictureFormat::Jpeg:
        verdict = InspectJpeg(bytes, size, header);
        break;
    case PictureFormat::Bmp:
        verdict = InspectBmp(bytes, size, header);
        break;
    case PictureFormat::None:
        break;
    }
    if (verdict != PictureVerdict::Accepted) {
        const PictureHeader claimed = *header;
        *header = PictureHeader();
        if (verdict == PictureVerdict::TooLarge) {  // the claim is still worth knowing
            header->format = format;
            header->width = claimed.width;
            header->height = claimed.height;
        }
        return verdict;
    }
    header->format = format;
    header->fullScaleBytes = RowsBytes(header->width, header->height, header->bitsPerPixel);
    header->scaleDenominator = format == PictureFormat::Jpeg && reducedJpeg ? JpegScale(header->width, header->height) : 1;
    header->scaledBytes = RowsBytes(ScaledSide(header->width, header->scaleDenominator),
                                    ScaledSide(header->height, header->scaleDenominator), header->bitsPerPixel);
    if (!WithinBounds(ScaledSide(header->width, header->scaleDenominator),
                      ScaledSide(header->height, header->scaleDenominator), header->bitsPerPixel))
        return PictureVerdict::TooLarge;
    return PictureVerdict::Accepted;
}

std::size_t EndOfEntropyCodedData(const std::uint8_t* bytes, std::size_t size, std::size_t from)
{
    std::size_t at = from;
    while (at + 1 < size && !(bytes[at] == 0xFF && bytes[at + 1] != 0 && (bytes[at + 1] < 0xD0 || bytes[at + 1] > 0xD7)))
        ++at;
    return at;
}

}  // namespace platform
