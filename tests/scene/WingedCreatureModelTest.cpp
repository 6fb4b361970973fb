// The generated body model: table structure, extents, symmetry, surface frames and
// closed, outward-wound surfaces.
#include "scene/WingedCreatureModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "render/Ribbon.h"

namespace {

struct Extent {
    double xLo, xHi, yLo, yHi, zLo, zHi;
};

// The table the model is made to: parts 0 to 3.
const Extent kExtents[CreatureModelParts] = {
    {-6.07, 5.77, -1.29, 1.29, -0.75, 1.10},
    {-2.01, 2.77, -1.28, 1.28, -1.98, -0.75},
    {4.46, 4.97, -0.82, 0.82, 0.13, 0.65},
    {4.14, 4.36, -1.22, 1.22, 0.82, 1.60},
};

using Key = std::tuple<long long, long long, long long>;
Key Weld(const Vector3& p)
{
    const double q = 1e6;
    return Key(std::llround(p.x * q), std::llround(p.y * q), std::llround(p.z * q));
}

const RibbonMeshPart& Part(int k) { return WingedCreatureModel[k]; }

Vector3 FaceNormal(const RibbonMeshPart& part, int t)
{
    const Vector3& a = part.vertices[part.indices[3 * t]].position;
    const Vector3& b = part.vertices[part.indices[3 * t + 1]].position;
    const Vector3& c = part.vertices[part.indices[3 * t + 2]].position;
    return Cross(b - a, c - a);
}

TEST(WingedCreatureModel, FourPartsWithTheirCountsInFrontOfTheirIndicesAndATerminator)
{
    int vertices = 0, triangles = 0;
    for (int k = 0; k < CreatureModelParts; ++k) {
        const RibbonMeshPart& part = Part(k);
        const std::uint32_t* list = WingedCreatureModelIndexLists[k];
        EXPECT_EQ(static_cast<int>(list[0]), part.vertexCount) << k;
        EXPECT_EQ(static_cast<int>(list[1]), part.triangleCount) << k;
        EXPECT_EQ(part.indices, list + 2) << k;
        ASSERT_GT(part.vertexCount, 0);
        for (int i = 0; i < 3 * part.triangleCount; ++i)
            ASSERT_LT(part.indices[i], static_cast<std::uint32_t>(part.vertexCount)) << k;
        vertices += part.vertexCount;
        triangles += part.triangleCount;
    }
    EXPECT_EQ(Part(CreatureModelParts).vertexCount, 0);
    // Close to the 1450 vertices and 2502 triangles the body is made to.
    EXPECT_NEAR(vertices, 1450, 150);
    EXPECT_NEAR(triangles, 2502, 100);
    // Two eyes and two horns of equal make.
    EXPECT_EQ(Part(CreatureEyes).vertexCount % 2, 0);
    EXPECT_EQ(Part(CreatureHorns).triangleCount % 2, 0);
}

TEST(WingedCreatureModel, EachPartFillsItsExtentsSymmetricallyAboutTheMidPlane)
{
    for (int k = 0; k < CreatureModelParts; ++k) {
        const RibbonMeshPart& part = Part(k);
        Extent e{1e9, -1e9, 1e9, -1e9, 1e9, -1e9};
        std::set<Key> points;
        for (int i = 0; i < part.vertexCount; ++i) {
            const Vector3& p = part.vertices[i].position;
            e = Extent{std::min(e.xLo, p.x), std::max(e.xHi, p.x), std::min(e.yLo, p.y),
                       std::max(e.yHi, p.y), std::min(e.zLo, p.z), std::max(e.zHi, p.z)};
            points.insert(Weld(p));
        }
        const Extent& want = kExtents[k];
        const double tolerance = 0.04;
        EXPECT_NEAR(e.xLo, want.xLo, tolerance) << k;
        EXPECT_NEAR(e.xHi, want.xHi, tolerance) << k;
        EXPECT_NEAR(e.yLo, want.yLo, tolerance) << k;
        EXPECT_NEAR(e.yHi, want.yHi, tolerance) << k;
        EXPECT_NEAR(e.zLo, want.zLo, tolerance) << k;
        EXPECT_NEAR(e.zHi, want.zHi, tolerance) << k;
        for (int i = 0; i < part.vertexCount; ++i) {
            const Vector3& p = part.vertices[i].position;
            EXPECT_EQ(points.count(Weld(Vector3(p.x, -p.y, p.z))), 1u) << "part " << k << " vertex " << i;
        }
    }
}

TEST(WingedCreatureModel, FramesAreUnitWithTheNormalPerpendicularToTheGrid)
{
    for (int k = 0; k < CreatureModelParts; ++k) {
        const RibbonMeshPart& part = Part(k);
        for (int i = 0; i < part.vertexCount; ++i) {
            const RibbonMeshVertex& v = part.vertices[i];
            ASSERT_NEAR(v.normal.Length(), 1.0, 1e-9) << k << " " << i;
            ASSERT_NEAR(v.gridX.Length(), 1.0, 1e-9) << k << " " << i;
            ASSERT_NEAR(v.gridY.Length(), 1.0, 1e-9) << k << " " << i;
            ASSERT_NEAR(Dot(v.normal, v.gridX), 0.0, 1e-9) << k << " " << i;
            ASSERT_NEAR(Dot(v.normal, v.gridY), 0.0, 1e-9) << k << " " << i;
        }
    }
}

TEST(WingedCreatureModel, PartsAreClosedAndWoundCounterClockwiseSeenFromOutside)
{
    for (int k = 0; k < CreatureModelParts; ++k) {
        const RibbonMeshPart& part = Part(k);
        // Seam and pole copies share a position: edges are compared between positions.
        std::map<std::pair<Key, Key>, int> edges;
        double volume = 0.0;
        for (int t = 0; t < part.triangleCount; ++t) {
            const Vector3* p[3];
            for (int c = 0; c < 3; ++c)
                p[c] = &part.vertices[part.indices[3 * t + c]].position;
            for (int c = 0; c < 3; ++c)
                ++edges[std::make_pair(Weld(*p[c]), Weld(*p[(c + 1) % 3]))];
            volume += Dot(*p[0], Cross(*p[1], *p[2])) / 6.0;

            // The face turns the way its vertices' normals point.
            const RibbonMeshVertex* v[3];
            for (int c = 0; c < 3; ++c)
                v[c] = &part.vertices[part.indices[3 * t + c]];
            EXPECT_GT(Dot(FaceNormal(part, t), v[0]->normal + v[1]->normal + v[2]->normal), 0.0)
                << "part " << k << " triangle " << t;
        }
        EXPECT_GT(volume, 0.0) << k;
        for (const auto& edge : edges) {
            EXPECT_EQ(edge.second, 1) << "part " << k << ": an edge used twice the same way";
            const auto reverse = edges.find(std::make_pair(edge.first.second, edge.first.first));
            EXPECT_TRUE(reverse != edges.end() && reverse->second == 1) << "part " << k << ": an open edge";
        }
    }
}

TEST(WingedCreatureModel, NormalsPointAwayFromEachPartsInside)
{
    // Eyes are spheres: the normal points from the centre of the eye it belongs to.
    const RibbonMeshPart& eyes = Part(CreatureEyes);
    for (int i = 0; i < eyes.vertexCount; ++i) {
        const RibbonMeshVertex& v = eyes.vertices[i];
        const Vector3 centre(4.715, v.position.y > 0 ? 0.565 : -0.565, 0.39);
        Vector3 out = v.position - centre;
        out.Normalize();
        EXPECT_GT(Dot(out, v.normal), 0.99) << i;
    }
    // The body's normals point away from its axis at mid-length.
    const RibbonMeshPart& body = Part(CreatureScales);
    for (int i = 0; i < body.vertexCount; ++i) {
        const RibbonMeshVertex& v = body.vertices[i];
        if (std::fabs(v.position.x) > 1.0)
            continue;
        const Vector3 out(0.0, v.position.y, v.position.z - 0.1);
        EXPECT_GT(Dot(out, v.normal), 0.0) << i;
    }
}

TEST(WingedCreatureModel, GridCoordinatesGrowWithXFromEachPartsRearEnd)
{
    const double uHigh[CreatureModelParts] = {14.27, 9.56, 0.66, 0.20};
    const double vLow[2] = {-4.0, 1.35};
    const double vHigh[2] = {8.0, 6.65};
    for (int k = 0; k < CreatureModelParts; ++k) {
        const RibbonMeshPart& part = Part(k);
        std::vector<std::pair<double, double>> xu;
        double uLo = 1e9, uHi = -1e9, vLo = 1e9, vHi = -1e9;
        for (int i = 0; i < part.vertexCount; ++i) {
            const RibbonMeshVertex& v = part.vertices[i];
            xu.emplace_back(v.position.x, v.gridPoint.x);
            uLo = std::min(uLo, v.gridPoint.x);
            uHi = std::max(uHi, v.gridPoint.x);
            vLo = std::min(vLo, v.gridPoint.y);
            vHi = std::max(vHi, v.gridPoint.y);
        }
        EXPECT_NEAR(uLo, 0.0, 1e-9) << k;
        EXPECT_NEAR(uHi, uHigh[k], 1e-6) << k;
        if (k < 2) {
            EXPECT_NEAR(vLo, vLow[k], 1e-9) << k;
            EXPECT_NEAR(vHi, vHigh[k], 1e-9) << k;
        } else {
            EXPECT_GE(vLo, 0.0) << k;
            EXPECT_LE(vHi, 0.66) << k;
        }
        std::sort(xu.begin(), xu.end());
        for (std::size_t i = 1; i < xu.size(); ++i)
            ASSERT_GE(xu[i].second, xu[i - 1].second - 1e-9) << "part " << k << ": u falls as x grows";
    }
}

TEST(WingedCreatureModel, FittedToTheRibbonItSpansTailToHeadAndFittingAgainChangesNothing)
{
    std::vector<std::vector<RibbonMeshVertex>> copies;
    RibbonMeshPart parts[CreatureModelParts + 1];
    for (int k = 0; k < CreatureModelParts; ++k) {
        copies.emplace_back(Part(k).vertices, Part(k).vertices + Part(k).vertexCount);
        parts[k] = Part(k);
    }
    for (int k = 0; k < CreatureModelParts; ++k)
        parts[k].vertices = copies[static_cast<std::size_t>(k)].data();
    Ribbon::FitModelToRibbon(parts);
    const std::vector<std::vector<RibbonMeshVertex>> once = copies;
    Ribbon::FitModelToRibbon(parts);
    double least = 1e9, greatest = -1e9;
    for (int k = 0; k < CreatureModelParts; ++k) {
        for (int i = 0; i < parts[k].vertexCount; ++i) {
            const Vector3& p = parts[k].vertices[i].position;
            least = std::min(least, p.x);
            greatest = std::max(greatest, p.x);
            EXPECT_NEAR(p.x, once[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)].position.x, 1e-12);
            EXPECT_NEAR(p.y, once[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)].position.y, 1e-12);
        }
    }
    EXPECT_NEAR(least, 0.01, 1e-12);
    EXPECT_NEAR(greatest, 1.0, 1e-12);
}

}  // namespace
