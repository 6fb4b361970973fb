#pragma once

#include <cstdint>
#include <vector>

// Exact area averaging over whole blocks of 24-bit pixels, block i of an axis spanning
// [i * s / m, (i + 1) * s / m): the first stage of ResampleBgr24 when a picture shrinks
// by two or more, so that the backend's filter only finishes a reduction of less than two
// (the same area average, far fewer samples to weigh). Portable.
namespace platform {

// The backend's filter for what is left after the blocks: area averaging where an axis
// shrinks (by less than two), smooth enlarging where it grows.
bool FilterBgr24(const std::uint8_t* source, int sourceStride, int sourceWidth, int sourceHeight,
                 std::uint8_t* target, int targetStride, int targetWidth, int targetHeight);

// The reduced size of one axis: whole blocks of at least two pixels, never below target.
inline int BlockReducedSide(int source, int target) { return source / target > 1 ? source / (source / target) : source; }

// Rows of width x height, stride width * 3, into out.
void ReduceByBlocks(const std::uint8_t* source, int sourceStride, int sourceWidth, int sourceHeight, int width,
                    int height, std::vector<std::uint8_t>* out);

}  // namespace platform
