#include "platform/ExifOrientation.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

int Read(const Bytes& bytes) { return platform::ReadJpegOrientation(bytes.data(), bytes.size()); }

Bytes Encoding(const std::string& name)
{
    std::ifstream in(std::string(ZEN_BUILD_DIR) + "/picture-encodings/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// SOI, the given segments, then a start of scan.
Bytes Jpeg(const std::vector<std::pair<std::uint8_t, Bytes>>& segments)
{
    Bytes out = {0xFF, 0xD8};
    for (const auto& segment : segments) {
        out.push_back(0xFF);
        out.push_back(segment.first);
        const std::size_t length = segment.second.size() + 2;
        out.push_back(static_cast<std::uint8_t>(length >> 8));
        out.push_back(static_cast<std::uint8_t>(length));
        out.insert(out.end(), segment.second.begin(), segment.second.end());
    }
    const Bytes scan = {0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9};
    out.insert(out.end(), scan.begin(), scan.end());
    return out;
}

// A big-endian Exif body with one IFD0 entry.
Bytes Exif(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint16_t value, std::uint16_t entries = 1)
{
    return {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
            std::uint8_t(entries >> 8), std::uint8_t(entries), std::uint8_t(tag >> 8), std::uint8_t(tag),
            0, std::uint8_t(type), std::uint8_t(count >> 24), std::uint8_t(count >> 16), std::uint8_t(count >> 8),
            std::uint8_t(count), std::uint8_t(value >> 8), std::uint8_t(value), 0, 0, 0, 0, 0, 0};
}

}  // namespace

TEST(ExifOrientation, ReadsEachOrientationInBothByteOrdersAndIgnoresDamagedBlocks)
{
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const Bytes file = Encoding("orientation-" + std::to_string(orientation) + ".jpg");
        ASSERT_FALSE(file.empty());
        EXPECT_EQ(Read(file), orientation);
    }
    for (const char* damaged : {"exif-offset-past-end.jpg", "exif-looping-ifds.jpg", "exif-huge-count.jpg"})
        EXPECT_EQ(Read(Encoding(damaged)), 1) << damaged;
}

TEST(ExifOrientation, EveryTruncationReadsTheTagWholeOrNotAtAll)
{
    const Bytes file = Encoding("orientation-6.jpg");
    ASSERT_FALSE(file.empty());
    for (std::size_t size = 0; size <= file.size(); ++size) {
        const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
        const int read = Read(cut);
        EXPECT_TRUE(read == 1 || read == 6) << size;
    }
}

TEST(ExifOrientation, OnlyAWellFormedShortInIfd0OfAnExifSegmentCounts)
{
    const Bytes xmp = {'h', 't', 't', 'p', ':', '/', '/', 'n', 's', 0};
    // Found behind another APP1 segment; not in APP2, not as another type, count or tag.
    EXPECT_EQ(Read(Jpeg({{0xE0, {'J', 'F', 'I', 'F', 0}}, {0xE1, xmp}, {0xE1, Exif(0x0112, 3, 1, 8)}})), 8);
    EXPECT_EQ(Read(Jpeg({{0xE2, Exif(0x0112, 3, 1, 8)}})), 1);
    EXPECT_EQ(Read(Jpeg({{0xE1, Exif(0x0112, 4, 1, 8)}})), 1);
    EXPECT_EQ(Read(Jpeg({{0xE1, Exif(0x0112, 3, 2, 8)}})), 1);
    EXPECT_EQ(Read(Jpeg({{0xE1, Exif(0x0110, 3, 1, 8)}})), 1);
    // Values outside 1 to 8.
    EXPECT_EQ(Read(Jpeg({{0xE1, Exif(0x0112, 3, 1, 0)}})), 1);
    EXPECT_EQ(Read(Jpeg({{0xE1, Exif(0x0112, 3, 1, 9)}})), 1);
    // An entry count far past the block: the entries inside it still count.
    EXPECT_EQ(Read(Jpeg({{0xE1, Exif(0x0112, 3, 1, 3, 0xFFFF)}})), 3);
    // After the scan has started, a segment is image data.
    Bytes late = Jpeg({});
    late.insert(late.end() - 2, {0xFF, 0xE1, 0x00, 0x22});
    EXPECT_EQ(Read(late), 1);
    // Not a JPEG, or a segment length past the end.
    EXPECT_EQ(Read(Bytes{'I', 'I', 42, 0, 8, 0, 0, 0}), 1);
    EXPECT_EQ(Read(Bytes{0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x'}), 1);
    EXPECT_EQ(platform::ReadJpegOrientation(nullptr, 100), 1);
}
