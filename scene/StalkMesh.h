#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The tube shared by every flower stalk, in ribbon-local coordinates: 21 rings of 4
// vertices from x = 1 at the foot to x = 0.001 at the tip, flared at the ground and
// swelling into a bulb at the top. Staging data for the vertex and index buffers.
class StalkMesh {
public:
    static constexpr int kRingCount = 21;
    static constexpr int kRingVertices = 4;
    static constexpr int kVertexCount = kRingCount * kRingVertices;  // 84
    static constexpr int kIndexCount = 480;

    // Float blocks of the vertex buffer, each tightly packed in vertex order; the normals
    // come right after the positions.
    static constexpr std::size_t kPositionsOffset = 0;
    static constexpr std::size_t kNormalOffset = 1008;
    static constexpr std::size_t kGridXOffset = 2016;
    static constexpr std::size_t kGridYOffset = 3024;
    static constexpr std::size_t kGridPointOffset = 4032;
    static constexpr std::size_t kVertexBytes = 4704;

    StalkMesh();

    // Tube radius at ring i.
    static double Radius(int ring);

    const std::vector<float>& VertexData() const { return vertexData_; }
    const std::vector<std::uint32_t>& Indices() const { return indices_; }

private:
    std::vector<float> vertexData_;  // kVertexBytes / 4 floats
    std::vector<std::uint32_t> indices_;
};
