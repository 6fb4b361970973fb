#include "scene/StalkMesh.h"

#include <cmath>

#include "render/VectorMath.h"

namespace {

const double kQuarterTurn = 1.5707963;

// A quarter turn of the cross-section, applied `times` times in doubles.
void QuarterTurns(double y, double z, int times, double* outY, double* outZ)
{
    const double c = std::cos(kQuarterTurn);
    const double s = std::sin(kQuarterTurn);
    for (int t = 0; t < times; ++t) {
        const double turnedY = y * c + z * s;
        const double turnedZ = z * c - y * s;
        y = turnedY;
        z = turnedZ;
    }
    *outY = y;
    *outZ = z;
}

void Put3(std::vector<float>& data, std::size_t offset, int vertex, double x, double y, double z)
{
    float* out = data.data() + offset / 4 + static_cast<std::size_t>(vertex) * 3;
    out[0] = static_cast<float>(x);
    out[1] = static_cast<float>(y);
    out[2] = static_cast<float>(z);
}

}  // namespace

double StalkMesh::Radius(int ring)
{
    const double d = ring * 0.05;
    return 0.5 * std::sin(10.0 * (1.0 - d)) * std::exp(20.0 * (d - 1.0)) + 0.6 / (20.0 * d + 1.0);
}

StalkMesh::StalkMesh() : vertexData_(kVertexBytes / 4), indices_()
{
    for (int i = 0; i < kRingCount; ++i) {
        const double d = i * 0.05;
        // The tip stays inside the last node of the shader's node lookup.
        const double g = d >= 0.999 ? 0.999 : d;
        const double r = Radius(i);
        Vector3 profile = i == 0 ? Vector3(1, 0, 0) : Vector3(d, Radius(i - 1) - r, 0);
        profile.Normalize();
        for (int n = 0; n < kRingVertices; ++n) {
            const int vertex = kRingVertices * i + n;
            double y = 0;
            double z = 0;
            QuarterTurns(r, 0.0, n, &y, &z);
            Put3(vertexData_, kPositionsOffset, vertex, 1.0 - g, y, z);
            QuarterTurns(profile.x, 0.0, n, &y, &z);
            Put3(vertexData_, kNormalOffset, vertex, -profile.y, y, z);
            QuarterTurns(-profile.y, 0.0, n, &y, &z);
            Put3(vertexData_, kGridXOffset, vertex, -profile.x, y, z);
            QuarterTurns(0.0, -1.0, n, &y, &z);
            Put3(vertexData_, kGridYOffset, vertex, 0.0, y, z);
            float* grid = vertexData_.data() + kGridPointOffset / 4 + static_cast<std::size_t>(vertex) * 2;
            grid[0] = static_cast<float>(d);
            grid[1] = static_cast<float>(0.05 * n);
        }
    }

    indices_.reserve(kIndexCount);
    for (std::uint32_t k = 0; k + 1 < kRingCount; ++k) {
        for (std::uint32_t n = 0; n < kRingVertices; ++n) {
            const std::uint32_t m = (n + 1) % kRingVertices;
            const std::uint32_t ring = 4 * k;
            indices_.insert(indices_.end(), {ring + n, ring + m, ring + 4 + n});
            indices_.insert(indices_.end(), {ring + m, ring + 4 + m, ring + 4 + n});
        }
    }
}
