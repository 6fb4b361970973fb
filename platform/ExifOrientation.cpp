#include "platform/ExifOrientation.h"

#include <cstring>

namespace platform {

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;
constexpr std::size_t kEntryBytes = 12;

// A TIFF structure inside the APP1 segment; every read is checked against its end.
class TiffBlock {
public:
    TiffBlock(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

    bool ReadByteOrder()
    {
        if (size_ < 8)
            return false;
        if (bytes_[0] == 'I' && bytes_[1] == 'I')
            littleEndian_ = true;
        else if (bytes_[0] == 'M' && bytes_[1] == 'M')
            littleEndian_ = false;
        else
            return false;
        std::uint16_t magic = 0;
        return Read16(2, &magic) && magic == 42;
    }

    bool Read16(std::size_t at, std::uint16_t* value) const
    {
        if (at > size_ || size_ - at < 2)
            return false;
        const std::uint8_t* p = bytes_ + at;
        *value = littleEndian_ ? static_cast<std::uint16_t>(p[0] | p[1] << 8)
                               : static_cast<std::uint16_t>(p[0] << 8 | p[1]);
        return true;
    }

    bool Read32(std::size_t at, std::uint32_t* value) const
    {
        if (at > size_ || size_ - at < 4)
            return false;
        const std::uint8_t* p = bytes_ + at;
        *value = littleEndian_ ? (std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                                  std::uint32_t(p[3]) << 24)
                               : (std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
                                  std::uint32_t(p[3]));
        return true;
    }

    std::size_t Size() const { return size_; }

private:
    const std::uint8_t* bytes_;
    std::size_t size_;
    bool littleEndian_ = true;
};

int OrientationInTiff(const std::uint8_t* bytes, std::size_t size)
{
    TiffBlock tiff(bytes, size);
    std::uint32_t ifdOffset = 0;
    std::uint16_t entries = 0;
    if (!tiff.ReadByteOrder() || !tiff.Read32(4, &ifdOffset) || !tiff.Read16(ifdOffset, &entries))
        return kOrientationUpright;
    // Only entries wholly inside the block; a count that runs past it is cut there.
    const std::size_t first = std::size_t(ifdOffset) + 2;
    for (std::size_t i = 0; i < entries && first + (i + 1) * kEntryBytes <= tiff.Size(); ++i) {
        const std::size_t entry = first + i * kEntryBytes;
        std::uint16_t tag = 0, type = 0, value = 0;
        std::uint32_t count = 0;
        if (!tiff.Read16(entry, &tag) || tag != kOrientationTag)
            continue;
        // The tag's one SHORT sits in the value field itself.
        if (!tiff.Read16(entry + 2, &type) || type != kShortType || !tiff.Read32(entry + 4, &count) ||
            count != 1 || !tiff.Read16(entry + 8, &value))
            return kOrientationUpright;
        return value >= 1 && value <= 8 ? static_cast<int>(value) : static_cast<int>(kOrientationUpright);
    }
    return kOrientationUpright;
}

}  // namespace

int ReadJpegOrientation(const std::uint8_t* bytes, std::size_t size)
{
    if (bytes == nullptr || size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return kOrientationUpright;
    static const std::uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    std::size_t at = 2;
    // The segments before the first scan; the Exif block is among the first of them.
    while (at + 4 <= size) {
        if (bytes[at] != 0xFF)
            return kOrientationUpright;
        const std::uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)  // start of scan, end of image
            return kOrientationUpright;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
            at += 2;
            continue;
        }
        const std::size_t length = std::size_t(bytes[at + 2]) << 8 | bytes[at + 3];
        if (length < 2 || length > size - at - 2)
            return kOrientationUpright;
        const std::uint8_t* body = bytes + at + 4;
        const std::size_t bodySize = length - 2;
        if (marker == 0xE1 && bodySize >= sizeof kExifHeader &&
            std::memcmp(body, kExifHeader, sizeof kExifHeader) == 0)
            return OrientationInTiff(body + sizeof kExifHeader, bodySize - sizeof kExifHeader);
        at += 2 + length;
    }
    return kOrientationUpright;
}

}  // namespace platform
