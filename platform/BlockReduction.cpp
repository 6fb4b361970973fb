#include "platform/BlockReduction.h"

#include <algorithm>

#include "platform/ImageDecoder.h"

namespace platform {

void ReduceByBlocks(const std::uint8_t* source, int sourceStride, int sourceWidth, int sourceHeight, int width,
                    int height, std::vector<std::uint8_t>* out)
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
}

bool ResampleBgr24(const std::uint8_t* source, int sourceStride, int sourceWidth, int sourceHeight,
                   std::uint8_t* target, int targetStride, int targetWidth, int targetHeight)
{
    if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0)
        return false;
    const int width = BlockReducedSide(sourceWidth, targetWidth);
    const int height = BlockReducedSide(sourceHeight, targetHeight);
    if (width == sourceWidth && height == sourceHeight)
        return FilterBgr24(source, sourceStride, sourceWidth, sourceHeight, target, targetStride, targetWidth,
                           targetHeight);
    std::vector<std::uint8_t> reduced;
    ReduceByBlocks(source, sourceStride, sourceWidth, sourceHeight, width, height, &reduced);
    return FilterBgr24(reduced.data(), width * 3, width, height, target, targetStride, targetWidth, targetHeight);
}

}  // namespace platform
