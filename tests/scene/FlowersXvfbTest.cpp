#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ProcessObjects.h"
#include "scene/FlowersHolder.h"
#include "scene/Horizon.h"
#include "render/ShaderProgram.h"
#include "scene/StalkMesh.h"
#include "tests/render/GLTestContext.h"
#include "tests/render/VertexCapture.h"
#include "tests/scene/FlowerSeeds.h"
#include "tests/support/TestSupport.h"

namespace {

struct Rgb {
    int r;
    int g;
    int b;
};

Rgb PixelAt(const std::vector<unsigned char>& rows, int width, int height, const Vector3& window)
{
    const int x = static_cast<int>(window.x);
    const int y = height - 1 - static_cast<int>(window.y);  // rows are top first
    if (x < 0 || x >= width || y < 0 || y >= height)
        return {-1, -1, -1};
    const unsigned char* p = &rows[(static_cast<std::size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
}

}  // namespace

TEST(FlowersXvfbTest, BuildsDrawsAndLeavesTheStateAsDocumented)
{
    GLTestContext context(800, 600);
    ASSERT_TRUE(context.IsReady());
    ASSERT_TRUE(TheEventLog.IsOpen());
    const std::string logPath = TestCaseLogPath();
    const std::size_t before = ReadWholeFile(logPath).size();

    std::srand(SeedThatRests(8));
    FlowersHolder flowers;
    ASSERT_TRUE(flowers.IsReady());
    EXPECT_EQ(ReadWholeFile(logPath).substr(before),
              "   Notify : Creating OGL program for stalk\n   Notify : Creating OGL program for fruit\n");
    ASSERT_EQ(flowers.Flowers().size(), 4u);
    for (const Flower* flower : flowers.Flowers())
        EXPECT_EQ(flower->SwayAmplitude(), 0.0);

    Horizon horizon;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (horizon.IsReady())
        horizon.Draw();
    const std::vector<unsigned char> backdrop = context.ReadBack();

    glEnable(GL_BLEND);  // the stalk turns blending off itself
    flowers.Update(16);
    flowers.Draw();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    GLint value = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &value);
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    const std::vector<unsigned char> frame = context.ReadBack();
    const std::string folder = MakeTestFolder("FlowersXvfbTest");
    EXPECT_TRUE(context.SavePpm(folder + "/flowers.ppm"));
    std::printf("frame written to %s/flowers.ppm\n", folder.c_str());

    for (std::size_t i = 0; i < flowers.Flowers().size(); ++i) {
        SCOPED_TRACE(testing::Message() << "flower " << i + 1);
        const Flower& flower = *flowers.Flowers()[i];
        const Ribbon& stalk = flower.Stalk();
        // The middle of the stalk is drawn in its violet band over the backdrop.
        const Vector3 middle = ProjectToWindow(stalk.Node(10).position);
        const Rgb stalkPixel = PixelAt(frame, context.Width(), context.Height(), middle);
        const Rgb under = PixelAt(backdrop, context.Width(), context.Height(), middle);
        ASSERT_GE(stalkPixel.r, 0) << "stalk middle off screen";
        EXPECT_GT(stalkPixel.b, stalkPixel.g);
        EXPECT_NE(stalkPixel.b, under.b);
        // The fruit sits beyond the tip: its centre shows the green-yellow stripes.
        const RibbonNode& tip = stalk.Node(19);
        const double gap = 0.2 * flower.Length() / 20;
        const Vector3 centre = ProjectToWindow(tip.position - tip.tangent * (gap + flower.FruitRadius()));
        const Rgb fruitPixel = PixelAt(frame, context.Width(), context.Height(), centre);
        ASSERT_GE(fruitPixel.r, 0) << "fruit off screen";
        EXPECT_GT(fruitPixel.g, 40);
        EXPECT_GT(fruitPixel.g, fruitPixel.b);
    }
}

TEST(FlowersXvfbTest, StalkShaderBendsTheTubeAlongTheShapedRibbon)
{
    GLTestContext context(320, 240);
    ASSERT_TRUE(context.IsReady());
    unsigned int program = 0;
    ASSERT_EQ(CreateShaderProgram(125, 124, &program), 0);
    Flower flower(Vector3(-1, -2, -40), Vector3(0.7, 0, -0.7), 10, 1.0);
    flower.ShapeStalk(1.2);
    Ribbon& ribbon = flower.Stalk();

    const StalkMesh mesh;
    std::vector<Vector3> points;
    for (int v = 0; v < StalkMesh::kVertexCount; ++v) {
        const float* p = mesh.VertexData().data() + 3 * v;
        points.emplace_back(p[0], p[1], p[2]);
    }
    const std::vector<float> captured = CaptureVertexStage(
        program,
        [&] {
            glUniformMatrix3fv(glGetUniformLocation(program, "uRibbonMatrixes"), 20, GL_FALSE, ribbon.PackMatrixes());
            glUniform3fv(glGetUniformLocation(program, "uRibbonVertexes"), 20, ribbon.PackVertexes());
            glUniform1f(glGetUniformLocation(program, "uRibbonLength"), 10.0f);
        },
        points);
    ASSERT_EQ(captured.size(), points.size() * 7);

    // Every ring lies on a node boundary, where rounding may pick either node; both
    // agree on the axis point, and their frames differ only by one node's turn.
    for (std::size_t v = 0; v < points.size(); ++v) {
        SCOPED_TRACE(testing::Message() << "vertex " << v);
        const Vector3 world(captured[7 * v + 4], captured[7 * v + 5], captured[7 * v + 6]);
        const Vector3& p = points[v];
        double best = 1e9;
        const double xi = 1.0 - p.x;
        for (int k = static_cast<int>(std::floor(20 * xi + 0.5)) - 1; k <= static_cast<int>(std::floor(20 * xi + 0.5));
             ++k) {
            if (k < 0 || k > 19)
                continue;
            const RibbonNode& node = ribbon.Node(k);
            const Vector3 expected = node.position + node.tangent * ((k * 0.05 - xi) * 10.0) + node.side * p.y +
                                     node.up * p.z;
            best = std::fmin(best, (world - expected).Length());
        }
        EXPECT_LT(best, 1e-4);
    }
    // The tip ring's centre lies 0.049 of the length beyond node 19.
    Vector3 tipCentre;
    for (int n = 0; n < 4; ++n)
        tipCentre += Vector3(captured[7 * (80 + n) + 4], captured[7 * (80 + n) + 5], captured[7 * (80 + n) + 6]);
    tipCentre = tipCentre / 4.0;
    const RibbonNode& last = ribbon.Node(19);
    const Vector3 expectedTip = last.position - last.tangent * 0.49;
    EXPECT_LT((tipCentre - expectedTip).Length(), 1e-4);
}
