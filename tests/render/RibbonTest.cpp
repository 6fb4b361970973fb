#include "render/Ribbon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void ExpectNear(const Vector3& v, const Vector3& expected, double tolerance = 1e-12)
{
    EXPECT_NEAR(v.x, expected.x, tolerance);
    EXPECT_NEAR(v.y, expected.y, tolerance);
    EXPECT_NEAR(v.z, expected.z, tolerance);
}

void ExpectOrthonormalFrame(const RibbonNode& node)
{
    EXPECT_NEAR(node.tangent.Length(), 1.0, 1e-12);
    EXPECT_NEAR(node.side.Length(), 1.0, 1e-12);
    EXPECT_NEAR(node.up.Length(), 1.0, 1e-12);
    EXPECT_NEAR(Dot(node.tangent, node.side), 0.0, 1e-12);
    EXPECT_NEAR(Dot(node.tangent, node.up), 0.0, 1e-12);
    EXPECT_NEAR(Dot(node.side, node.up), 0.0, 1e-12);
}

// A head path that winds and rolls, so every rule of the follow step is exercised.
void Wander(Ribbon& ribbon, int steps)
{
    for (int step = 0; step < steps; ++step) {
        const double t = step * 0.05;
        const Vector3 head(std::sin(t) * 1.5, std::cos(1.3 * t), std::sin(0.7 * t) - t * 0.02);
        const Vector3 up(std::sin(t * 0.3), 1.0, std::cos(t * 0.2));
        ribbon.MoveHead(head, up);
    }
}

}  // namespace

TEST(RibbonTest, FreshRibbonIsTheIdentityMapping)
{
    Ribbon ribbon(20);
    ASSERT_EQ(ribbon.NodeCount(), 20);
    for (int i = 0; i < 20; ++i) {
        const RibbonNode& node = ribbon.Node(i);
        ExpectNear(node.position, Vector3(1.0 - i / 20.0, 0, 0));
        ExpectNear(node.tangent, Vector3(1, 0, 0));
        ExpectNear(node.side, Vector3(0, 1, 0));
        ExpectNear(node.up, Vector3(0, 0, 1));
    }
    // Every x in (0, 1], node boundaries included, comes back unchanged.
    for (int k = 1; k <= 1000; ++k) {
        const double x = k / 1000.0;
        const Vector3 point(x, 0.3 - x * 0.4, -0.2 + x);
        ExpectNear(ribbon.TransformVertex(point, x), point, 1e-12);
        ExpectNear(ribbon.TransformNormal(Vector3(0.6, 0.0, 0.8), x), Vector3(0.6, 0.0, 0.8));
    }
    // x = 1 is node 0 with no offset.
    ExpectNear(ribbon.TransformVertex(Vector3(1, 0, 0), 1.0), ribbon.Node(0).position, 0.0);
}

TEST(RibbonTest, OutOfRangeXStaysInsideTheChain)
{
    Ribbon ribbon(20);
    Wander(ribbon, 50);
    // x = 0 would address node 20; it is held at the last node instead of reading past it.
    const Vector3 atZero = ribbon.TransformVertex(Vector3(), 0.0);
    const Vector3 last = ribbon.Node(19).position;
    EXPECT_LT((atZero - last).Length(), 0.051);
    const Vector3 beyondHead = ribbon.TransformVertex(Vector3(), 1.02);
    EXPECT_LT((beyondHead - ribbon.Node(0).position).Length(), 0.03);
}

TEST(RibbonTest, InitializeLaysTheChainBehindTheOrigin)
{
    Ribbon ribbon(20);
    ribbon.Initialize(Vector3(0, 2, 0), Vector3(0, 1, 0), Vector3(0, 0, -1));
    for (int i = 0; i < 20; ++i) {
        const RibbonNode& node = ribbon.Node(i);
        ExpectNear(node.position, Vector3(0, 2, i / 20.0));
        ExpectNear(node.tangent, Vector3(0, 0, -1));
        ExpectNear(node.side, Vector3(-1, 0, 0));  // Cross(up, direction)
        ExpectNear(node.up, Vector3(0, 1, 0));
    }
}

TEST(RibbonTest, FollowingTheHeadKeepsSpacingAndFrames)
{
    Ribbon ribbon(20);
    Wander(ribbon, 400);
    for (int i = 1; i < 20; ++i)
        EXPECT_NEAR((ribbon.Node(i - 1).position - ribbon.Node(i).position).Length(), 0.05, 1e-12);
    for (int i = 0; i < 20; ++i)
        ExpectOrthonormalFrame(ribbon.Node(i));
    // Tangents point towards the head; the last node copies its predecessor's.
    for (int i = 0; i + 1 < 20; ++i) {
        Vector3 towardsHead = ribbon.Node(i).position - ribbon.Node(i + 1).position;
        towardsHead.Normalize();
        ExpectNear(ribbon.Node(i).tangent, towardsHead);
    }
    ExpectNear(ribbon.Node(19).tangent, ribbon.Node(18).tangent, 0.0);

    // A big jump of the head is followed in one step, with the same spacing.
    Ribbon jumped(40);
    jumped.MoveHead(Vector3(5, -3, 2), Vector3(0, 1, 0));
    for (int i = 1; i < 40; ++i)
        EXPECT_NEAR((jumped.Node(i - 1).position - jumped.Node(i).position).Length(), 0.025, 1e-12);
}

TEST(RibbonTest, RollFollowsTheHeadWithALag)
{
    Ribbon ribbon(20);
    // Head rolls from +z up to +y up in place; node 1 must take only a fifth of it.
    ribbon.MoveHead(ribbon.Node(0).position, Vector3(0, 1, 0));
    const RibbonNode& head = ribbon.Node(0);
    ExpectNear(head.up, Vector3(0, 1, 0));
    ExpectNear(head.side, Vector3(0, 0, -1));
    Vector3 expected = Vector3(0, 1, 0) * 0.19999999999999996 + Vector3(0, 0, 1) * 0.8;
    expected.Normalize();
    ExpectNear(ribbon.Node(1).up, expected);
    // Further back the roll is smaller still.
    EXPECT_LT(ribbon.Node(5).up.y, ribbon.Node(1).up.y);
}

TEST(RibbonTest, NodesAtOnePlaceAreSeparatedAlongX)
{
    Ribbon ribbon(20);
    for (int i = 0; i < 20; ++i)
        ribbon.Node(i).position = Vector3(0.5, 0.25, -1);
    ribbon.FollowHead();
    // Node 1 steps 1/n down in x; node 2, no longer on top of it, is pulled back to
    // 1/n from it, and so on: the chain zigzags instead of collapsing into NaN.
    ExpectNear(ribbon.Node(1).position, Vector3(0.45, 0.25, -1), 1e-15);
    for (int i = 0; i < 20; ++i) {
        const Vector3& p = ribbon.Node(i).position;
        EXPECT_FALSE(std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z));
        ExpectNear(p, Vector3(i % 2 == 0 ? 0.5 : 0.45, 0.25, -1), 1e-12);
        if (i > 0) {
            EXPECT_NEAR((ribbon.Node(i - 1).position - p).Length(), 0.05, 1e-12);
        }
    }

    // Only one pair coincides: only that follower moves in x.
    Ribbon pair(20);
    pair.Node(3).position = pair.Node(2).position;
    pair.FollowHead();
    for (int i = 0; i < 20; ++i)
        ExpectNear(pair.Node(i).position, Vector3(1.0 - i / 20.0, 0, 0), 1e-12);
}

TEST(RibbonTest, StraightenLaysEqualStepsAlongEachNodesTangent)
{
    Ribbon ribbon(40);
    Wander(ribbon, 100);
    const Vector3 head = ribbon.Node(0).position;
    Vector3 direction = head - ribbon.Node(1).position;
    direction.Normalize();
    std::vector<Vector3> before;
    for (int i = 0; i < 40; ++i)
        before.push_back(ribbon.Node(i).position);
    ribbon.Straighten(3.9);

    ExpectNear(ribbon.Node(0).position, head, 0.0);
    ExpectNear(ribbon.Node(0).tangent, direction);
    for (int i = 1; i < 40; ++i) {
        const RibbonNode& previous = ribbon.Node(i - 1);
        ExpectNear(ribbon.Node(i).position, previous.position - previous.tangent * 0.1, 1e-12);
    }
    // Each tangent aims from the new position at the follower's old one.
    for (int i = 1; i + 1 < 40; ++i) {
        Vector3 aim = ribbon.Node(i).position - before[i + 1];
        aim.Normalize();
        ExpectNear(ribbon.Node(i).tangent, aim);
    }
    ExpectNear(ribbon.Node(39).tangent, ribbon.Node(38).tangent, 0.0);
    for (int i = 0; i < 40; ++i)
        ExpectOrthonormalFrame(ribbon.Node(i));

    // A chain already straight with the right spacing stays as it is.
    Ribbon straight(40);
    straight.Initialize(Vector3(0, 1, 0), Vector3(0, 0, 1), Vector3(0, 1, 0));
    straight.Straighten(39.0 / 40.0);
    for (int i = 0; i < 40; ++i) {
        ExpectNear(straight.Node(i).position, Vector3(0, 1.0 - i / 40.0, 0), 1e-12);
        ExpectNear(straight.Node(i).tangent, Vector3(0, 1, 0), 1e-12);
    }
}

TEST(RibbonTest, TransformAgreesWithTheNodeFrames)
{
    Ribbon ribbon(20);
    Wander(ribbon, 300);
    for (int k = 0; k < 20; ++k) {
        const RibbonNode& node = ribbon.Node(k);
        // Half-way between node k and k + 1 in x.
        const double x = 1.0 - (k + 0.5) / 20.0;
        const Vector3 expected = node.position - node.tangent * 0.025 + node.side * 0.1 + node.up * -0.2;
        ExpectNear(ribbon.TransformVertex(Vector3(x, 0.1, -0.2), x), expected, 1e-12);
        ExpectNear(ribbon.TransformNormal(Vector3(0, 0, 1), x), node.up, 0.0);
    }
}

TEST(RibbonTest, PackedLayoutsAreColumnsThenPositions)
{
    Ribbon ribbon(20);
    Wander(ribbon, 37);
    const float* matrixes = ribbon.PackMatrixes();
    const float* vertexes = ribbon.PackVertexes();
    for (int i = 0; i < 20; ++i) {
        const RibbonNode& node = ribbon.Node(i);
        const Vector3 columns[3] = {node.tangent, node.side, node.up};
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(matrixes[9 * i + 3 * c + 0], static_cast<float>(columns[c].x));
            EXPECT_EQ(matrixes[9 * i + 3 * c + 1], static_cast<float>(columns[c].y));
            EXPECT_EQ(matrixes[9 * i + 3 * c + 2], static_cast<float>(columns[c].z));
        }
        EXPECT_EQ(vertexes[3 * i + 0], static_cast<float>(node.position.x));
        EXPECT_EQ(vertexes[3 * i + 1], static_cast<float>(node.position.y));
        EXPECT_EQ(vertexes[3 * i + 2], static_cast<float>(node.position.z));
    }
    // The buffers are kept and refilled, not reallocated.
    Wander(ribbon, 5);
    EXPECT_EQ(ribbon.PackMatrixes(), matrixes);
    EXPECT_EQ(ribbon.PackVertexes(), vertexes);
    EXPECT_EQ(vertexes[0], static_cast<float>(ribbon.Node(0).position.x));
}

TEST(RibbonTest, FitModelMapsTheXRangeOntoTheRibbon)
{
    std::vector<RibbonMeshVertex> first(3);
    std::vector<RibbonMeshVertex> second(2);
    first[0].position = Vector3(-6.0, 1.0, 0.5);
    first[1].position = Vector3(2.0, -1.0, -0.5);
    first[2].position = Vector3(0.0, 0.0, 0.0);
    second[0].position = Vector3(5.0, 2.0, 1.0);
    second[1].position = Vector3(-1.0, 0.0, 0.0);
    const std::uint32_t indices[3] = {0, 1, 2};
    RibbonMeshPart parts[3];
    parts[0].vertexCount = 3;
    parts[0].vertices = first.data();
    parts[0].indices = indices;
    parts[1].vertexCount = 2;
    parts[1].vertices = second.data();
    Ribbon::FitModelToRibbon(parts);

    const double s = 0.99 / 11.0;
    EXPECT_NEAR(first[0].position.x, 0.01, 1e-15);
    EXPECT_NEAR(second[0].position.x, 1.0, 1e-15);
    ExpectNear(first[1].position, Vector3(8.0 * s + 0.01, -s, -0.5 * s), 1e-15);
    ExpectNear(second[1].position, Vector3(5.0 * s + 0.01, 0.0, 0.0), 1e-15);

    // All x equal: nothing to scale, nothing changes.
    std::vector<RibbonMeshVertex> flat(2);
    flat[0].position = Vector3(0.5, 3.0, 4.0);
    flat[1].position = Vector3(0.5, -3.0, 1.0);
    RibbonMeshPart flatParts[2];
    flatParts[0].vertexCount = 2;
    flatParts[0].vertices = flat.data();
    Ribbon::FitModelToRibbon(flatParts);
    ExpectNear(flat[0].position, Vector3(0.5, 3.0, 4.0), 0.0);
    ExpectNear(flat[1].position, Vector3(0.5, -3.0, 1.0), 0.0);

    // An empty table is harmless.
    RibbonMeshPart empty[1];
    Ribbon::FitModelToRibbon(empty);
}

TEST(RibbonTest, MeshBufferHoldsFiveBlocksInOrder)
{
    std::vector<RibbonMeshVertex> vertices(3);
    for (int i = 0; i < 3; ++i) {
        RibbonMeshVertex& v = vertices[i];
        const double b = 100.0 * i;
        v.position = Vector3(b + 1, b + 2, b + 3);
        v.gridPoint = Vector2(b + 4, b + 5);
        v.normal = Vector3(b + 6, b + 7, b + 8);
        v.gridX = Vector3(b + 9, b + 10, b + 11);
        v.gridY = Vector3(b + 12, b + 13, b + 14);
    }
    RibbonMeshPart part;
    part.vertexCount = 3;
    part.vertices = vertices.data();
    EXPECT_EQ(Ribbon::MeshBufferBytes(3), 168u);
    EXPECT_EQ(Ribbon::MeshGridXOffset(3), 36u);
    EXPECT_EQ(Ribbon::MeshGridYOffset(3), 72u);
    EXPECT_EQ(Ribbon::MeshNormalOffset(3), 108u);
    EXPECT_EQ(Ribbon::MeshGridPointOffset(3), 144u);

    std::vector<float> buffer(42, -1.0f);
    Ribbon::FillMeshBuffer(part, buffer.data());
    const float expected[42] = {
        1, 2, 3, 101, 102, 103, 201, 202, 203,          // positions
        9, 10, 11, 109, 110, 111, 209, 210, 211,        // gridX
        12, 13, 14, 112, 113, 114, 212, 213, 214,       // gridY
        6, 7, 8, 106, 107, 108, 206, 207, 208,          // normals
        4, 5, 104, 105, 204, 205,                       // grid points
    };
    for (int i = 0; i < 42; ++i)
        EXPECT_EQ(buffer[i], expected[i]) << "float " << i;
}
