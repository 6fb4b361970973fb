#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/ProcessObjects.h"
#include "scene/Flower.h"
#include "scene/FlowersHolder.h"
#include "scene/FruitMesh.h"
#include "scene/StalkMesh.h"
#include "tests/scene/FlowerSeeds.h"

// FlowersHolder logs through the process-wide log; naming it here makes the linker take
// the process-wide objects from the test support library.
extern const EventLog* const FlowersTestLog;
const EventLog* const FlowersTestLog = &TheEventLog;

namespace {

void ExpectNear(const Vector3& v, const Vector3& expected, double tolerance)
{
    EXPECT_NEAR(v.x, expected.x, tolerance);
    EXPECT_NEAR(v.y, expected.y, tolerance);
    EXPECT_NEAR(v.z, expected.z, tolerance);
}

Vector3 Float3(const std::vector<float>& data, std::size_t offset, int vertex)
{
    const float* p = data.data() + offset / 4 + static_cast<std::size_t>(vertex) * 3;
    return Vector3(p[0], p[1], p[2]);
}

Vector3 Float2(const std::vector<float>& data, std::size_t offset, int vertex)
{
    const float* p = data.data() + offset / 4 + static_cast<std::size_t>(vertex) * 2;
    return Vector3(p[0], p[1], 0);
}

double AngleBetween(const Vector3& a, const Vector3& b)
{
    return std::acos(std::fmax(-1.0, std::fmin(1.0, Dot(a, b) / (a.Length() * b.Length()))));
}

std::vector<Vector3> Positions(const Flower& flower)
{
    std::vector<Vector3> positions;
    for (int i = 0; i < flower.Stalk().NodeCount(); ++i)
        positions.push_back(flower.Stalk().Node(i).position);
    return positions;
}

}  // namespace

TEST(FlowersTest, StalkMeshHasItsRingsAndLayout)
{
    const StalkMesh mesh;
    ASSERT_EQ(mesh.VertexData().size() * 4, 4704u);
    ASSERT_EQ(mesh.Indices().size(), 480u);
    EXPECT_EQ(StalkMesh::kNormalOffset, 84u * 12);
    EXPECT_EQ(StalkMesh::kGridPointOffset, 84u * 48);
    const std::vector<float>& data = mesh.VertexData();

    // Foot: radius 0.6 at x = 1, normals straight out, the rulers along -x and around.
    EXPECT_NEAR(StalkMesh::Radius(0), 0.6, 1e-8);
    EXPECT_NEAR(StalkMesh::Radius(1), 0.3, 1e-6);
    EXPECT_NEAR(StalkMesh::Radius(19), 0.1182, 1e-4);
    EXPECT_NEAR(StalkMesh::Radius(20), 0.6 / 21, 1e-12);
    ExpectNear(Float3(data, StalkMesh::kPositionsOffset, 0), Vector3(1, 0.6, 0), 1e-7);
    ExpectNear(Float3(data, StalkMesh::kPositionsOffset, 1), Vector3(1, 0, -0.6), 1e-7);
    ExpectNear(Float3(data, StalkMesh::kPositionsOffset, 2), Vector3(1, -0.6, 0), 1e-7);
    ExpectNear(Float3(data, StalkMesh::kPositionsOffset, 3), Vector3(1, 0, 0.6), 1e-7);
    ExpectNear(Float3(data, StalkMesh::kNormalOffset, 0), Vector3(0, 1, 0), 1e-7);
    ExpectNear(Float3(data, StalkMesh::kNormalOffset, 1), Vector3(0, 0, -1), 1e-7);
    ExpectNear(Float3(data, StalkMesh::kGridXOffset, 0), Vector3(-1, 0, 0), 1e-7);
    ExpectNear(Float3(data, StalkMesh::kGridYOffset, 0), Vector3(0, 0, -1), 1e-7);
    ExpectNear(Float3(data, StalkMesh::kGridYOffset, 1), Vector3(0, -1, 0), 1e-7);
    ExpectNear(Float2(data, StalkMesh::kGridPointOffset, 3), Vector3(0, 0.15, 0), 1e-7);

    // Tip: x is 1 - 0.999, not 0, which would address one node past the last.
    for (int n = 0; n < 4; ++n) {
        const Vector3 tip = Float3(data, StalkMesh::kPositionsOffset, 80 + n);
        EXPECT_NEAR(tip.x, 0.001, 1e-7);
        EXPECT_NEAR(std::hypot(tip.y, tip.z), 0.6 / 21, 1e-7);
        EXPECT_NEAR(Float2(data, StalkMesh::kGridPointOffset, 80 + n).x, 1.0, 1e-7);
    }
    // Ring 19 keeps its own x; the profile uses d itself and stays a unit vector.
    EXPECT_NEAR(Float3(data, StalkMesh::kPositionsOffset, 76).x, 0.05, 1e-7);
    for (int v = 0; v < 84; ++v) {
        EXPECT_NEAR(Float3(data, StalkMesh::kNormalOffset, v).Length(), 1.0, 1e-6);
        EXPECT_NEAR(Dot(Float3(data, StalkMesh::kNormalOffset, v), Float3(data, StalkMesh::kGridXOffset, v)), 0.0,
                    1e-6);
    }

    // Bands: two triangles per side, the last band closing back to corner 0.
    const std::vector<std::uint32_t>& indices = mesh.Indices();
    const std::uint32_t first[6] = {0, 1, 4, 1, 5, 4};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(indices[i], first[i]);
    const std::uint32_t last[6] = {79, 76, 83, 76, 80, 83};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(indices[474 + i], last[i]);
}

TEST(FlowersTest, FruitMeshIsAClosedUnitSphereTouchingTheOrigin)
{
    const FruitMesh mesh;
    ASSERT_EQ(mesh.VertexData().size() * 4, 2560u);
    ASSERT_EQ(mesh.Indices().size(), 630u);
    const std::vector<float>& data = mesh.VertexData();
    for (int v = 0; v < 128; ++v)
        EXPECT_NEAR((Float3(data, 0, v) - Vector3(1, 0, 0)).Length(), 1.0, 1e-6);
    // Ring 0 is the point touching the origin, ring 7 almost the far pole.
    for (int m = 0; m < 16; ++m)
        ExpectNear(Float3(data, 0, m), Vector3(0, 0, 0), 1e-7);
    EXPECT_NEAR(Float3(data, 0, 112).x, 1.0 - std::cos(7 * 0.44879894285714284), 1e-6);
    // The last vertex of a ring repeats the first.
    for (int r = 0; r < 8; ++r)
        ExpectNear(Float3(data, 0, 16 * r + 15), Float3(data, 0, 16 * r), 1e-6);
    ExpectNear(Float2(data, FruitMesh::kGridPointOffset, 16 * 3 + 2), Vector3(3 * 0.44879894285714284,
                                                                             2 * 0.4188790133333333, 0), 1e-6);
    const std::vector<std::uint32_t>& indices = mesh.Indices();
    const std::uint32_t first[6] = {17, 16, 0, 1, 17, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(indices[i], first[i]);
    const std::uint32_t last[6] = {127, 126, 110, 111, 127, 110};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(indices[624 + i], last[i]);
}

TEST(FlowersTest, TheFourFlowersOfTheScene)
{
    std::vector<Flower*> flowers = FlowersHolder::MakeFlowers();
    ASSERT_EQ(flowers.size(), 4u);
    ExpectNear(flowers[0]->Base(), Vector3(-5, -2, -20), 0);
    ExpectNear(flowers[1]->BendVector(), Vector3(-0.7, 0, 0.7), 0);
    EXPECT_EQ(flowers[2]->Length(), 6);
    EXPECT_EQ(flowers[3]->FruitRadius(), 1.0);
    for (Flower* flower : flowers) {
        EXPECT_EQ(flower->SwayAmplitude(), 0.0);
        EXPECT_EQ(flower->SwayClock(), 0);
        EXPECT_EQ(flower->Stalk().NodeCount(), 20);
        delete flower;
    }
}

TEST(FlowersTest, RestingStalkRisesFromItsBaseAndCurvesAwayFromTheBend)
{
    Flower flower(Vector3(-5, -2, -20), Vector3(-0.7, 0, -0.7), 5, 0.5);
    std::srand(SeedThatRests(3));
    flower.Update(16);
    const std::vector<Vector3> first = Positions(flower);
    flower.Update(40);
    flower.Update(0);
    EXPECT_EQ(Positions(flower).size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i)
        ExpectNear(Positions(flower)[i], first[i], 0.0);

    const Ribbon& stalk = flower.Stalk();
    ExpectNear(stalk.Node(0).position, Vector3(-5, -2, -20), 0);
    for (int j = 0; j + 1 < 20; ++j) {
        const RibbonNode& node = stalk.Node(j);
        // Each step is one twentieth of the length against the tangent.
        ExpectNear(stalk.Node(j + 1).position, node.position - node.tangent * 0.25, 1e-12);
        ExpectNear(node.side, Vector3(-0.7, 0, 0.7), 0);
        ExpectNear(node.up, Cross(node.tangent, node.side), 0);
    }
    // It climbs, and its top leans away from the bend vector (towards +x, +z).
    EXPECT_GT(stalk.Node(19).position.y, 1.0);
    EXPECT_GT(stalk.Node(19).position.x, -5.0);
    EXPECT_GT(stalk.Node(19).position.z, -20.0);
    // Nearly straight at the ground, about 1.3 radians of turn over the whole stalk.
    EXPECT_LT(AngleBetween(stalk.Node(0).tangent, Vector3(0, -1, 0)), 0.01);
    EXPECT_NEAR(AngleBetween(stalk.Node(19).tangent, Vector3(0, -1, 0)), 1.3, 0.1);
}

TEST(FlowersTest, NewSwayBendsNothingForTwoUpdatesThenOscillates)
{
    Flower flower(Vector3(5, -2, -20), Vector3(-0.7, 0, 0.7), 3, 0.3);
    std::srand(SeedThatRests(1));
    flower.Update(16);
    const std::vector<Vector3> resting = Positions(flower);

    std::srand(SeedThatStartsASway());
    EXPECT_EQ(flower.Update(16), 0.0);
    EXPECT_GE(flower.SwayAmplitude(), 0.2);
    EXPECT_LE(flower.SwayAmplitude(), 0.4);
    EXPECT_EQ(flower.SwayClock(), 0);
    for (std::size_t i = 0; i < resting.size(); ++i)
        ExpectNear(Positions(flower)[i], resting[i], 0.0);

    // Clock 0: sin(0), still no bend; the clock starts to run.
    EXPECT_EQ(flower.Update(16), 0.0);
    EXPECT_EQ(flower.SwayClock(), 16);
    for (std::size_t i = 0; i < resting.size(); ++i)
        ExpectNear(Positions(flower)[i], resting[i], 0.0);

    // From then on the bend follows A * sin(t / radius / 1000).
    const double amplitude = flower.SwayAmplitude();
    EXPECT_DOUBLE_EQ(flower.Update(16), amplitude * std::sin(16 / 0.3 * 0.001));
    EXPECT_NE(Positions(flower)[19].x, resting[19].x);
}

TEST(FlowersTest, SwayAmplitudeDecaysToExactlyZeroAndNeverBelow)
{
    Flower flower(Vector3(-5, -2, -20), Vector3(-0.7, 0, -0.7), 5, 0.5);
    flower.SetSway(0.4, 0);
    std::srand(SeedThatRests(1));
    double previous = flower.SwayAmplitude();
    int updates = 0;
    while (flower.SwayAmplitude() > 0.0 && updates < 100000) {
        const double sway = flower.Update(16);
        EXPECT_LE(std::fabs(sway), previous);
        EXPECT_GE(flower.SwayAmplitude(), 0.0);
        EXPECT_LE(flower.SwayAmplitude(), previous);
        if (flower.SwayAmplitude() > 0.0) {
            EXPECT_GE(flower.SwayAmplitude(), 0.01);
        }
        previous = flower.SwayAmplitude();
        ++updates;
    }
    EXPECT_EQ(flower.SwayAmplitude(), 0.0);
    // At 16 ms a frame the sway lasts some thirty seconds.
    EXPECT_GT(updates, 1000);
    EXPECT_LT(updates, 4000);

    // Once at rest the sway is 0 and the shape is the resting one.
    EXPECT_EQ(flower.Update(16), 0.0);

    // A huge frame time never wraps the clock into negative values.
    flower.SetSway(0.3, 2147483000);
    flower.Update(2000000);
    EXPECT_GE(flower.SwayClock(), 0);
    EXPECT_GE(flower.SwayAmplitude(), 0.0);
}

TEST(FlowersTest, HeavyFruitUnderStrongSwaySnapsTheStalkUpright)
{
    Flower flower(Vector3(-1, -2, -40), Vector3(0.7, 0, -0.7), 10, 1.0);
    flower.ShapeStalk(1.0);
    const Ribbon& resting = flower.Stalk();
    // About 2.5 radians of turn at rest, without snapping.
    EXPECT_NEAR(AngleBetween(resting.Node(19).tangent, Vector3(0, -1, 0)), 2.5, 0.15);
    for (int j = 0; j < 20; ++j)
        EXPECT_GE(Dot(resting.Node(j).tangent, Vector3(0.7, 0, -0.7)), 0.0);

    flower.ShapeStalk(1.4);
    const Ribbon& stalk = flower.Stalk();
    int firstSnapped = -1;
    for (int j = 0; j < 20; ++j) {
        if (stalk.Node(j).tangent.x == 0 && stalk.Node(j).tangent.y == 1 && stalk.Node(j).tangent.z == 0) {
            firstSnapped = j;
            break;
        }
    }
    ASSERT_GT(firstSnapped, 0);
    // Every later node snaps as well: the rest hangs straight down.
    for (int j = firstSnapped; j < 20; ++j) {
        ExpectNear(stalk.Node(j).tangent, Vector3(0, 1, 0), 0);
        ExpectNear(stalk.Node(j).up, Cross(Vector3(0, 1, 0), stalk.Node(j).side), 0);
        if (j + 1 < 20) {
            ExpectNear(stalk.Node(j + 1).position, stalk.Node(j).position - Vector3(0, 0.5, 0), 1e-12);
        }
    }
}
