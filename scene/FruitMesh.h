#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The sphere shared by every fruit: unit radius, centred at (1, 0, 0) so that it touches
// the origin, 8 rings of 16 vertices (the last of a ring repeats the first). Staging data
// for the vertex and index buffers.
class FruitMesh {
public:
    static constexpr int kRingCount = 8;
    static constexpr int kRingVertices = 16;
    static constexpr int kVertexCount = kRingCount * kRingVertices;  // 128
    static constexpr int kIndexCount = 630;

    static constexpr std::size_t kPositionsOffset = 0;
    static constexpr std::size_t kGridPointOffset = 1536;
    static constexpr std::size_t kVertexBytes = 2560;

    FruitMesh();

    const std::vector<float>& VertexData() const { return vertexData_; }
    const std::vector<std::uint32_t>& Indices() const { return indices_; }

private:
    std::vector<float> vertexData_;
    std::vector<std::uint32_t> indices_;
};
