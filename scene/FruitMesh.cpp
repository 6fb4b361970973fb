#include "scene/FruitMesh.h"

#include <cmath>

namespace {

const double kRingStep = 0.44879894285714284;     // 3.1415926 / 7
const double kAroundStep = 0.4188790133333333;    // 2 * 3.1415926 / 15

}  // namespace

FruitMesh::FruitMesh() : vertexData_(kVertexBytes / 4), indices_()
{
    float* positions = vertexData_.data() + kPositionsOffset / 4;
    float* grid = vertexData_.data() + kGridPointOffset / 4;
    for (int r = 0; r < kRingCount; ++r) {
        const double theta = r * kRingStep;
        for (int m = 0; m < kRingVertices; ++m) {
            const double phi = m * kAroundStep;
            const int v = kRingVertices * r + m;
            positions[3 * v] = static_cast<float>(1.0 - std::cos(theta));
            positions[3 * v + 1] = static_cast<float>(std::sin(theta) * std::cos(phi));
            positions[3 * v + 2] = static_cast<float>(-std::sin(theta) * std::sin(phi));
            grid[2 * v] = static_cast<float>(theta);
            grid[2 * v + 1] = static_cast<float>(phi);
        }
    }

    indices_.reserve(kIndexCount);
    for (std::uint32_t r = 1; r < kRingCount; ++r) {
        for (std::uint32_t j = 1; j < kRingVertices; ++j) {
            const std::uint32_t v = kRingVertices * r + j;
            indices_.insert(indices_.end(), {v, v - 1, v - 17});
            indices_.insert(indices_.end(), {v - 16, v, v - 17});
        }
    }
}
