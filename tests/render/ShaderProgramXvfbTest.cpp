#include "render/ShaderProgram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "render/Ribbon.h"
#include "tests/render/GLTestContext.h"
#include "tests/render/VertexCapture.h"

namespace {

struct ProgramPair {
    int vertexId;
    int fragmentId;
    std::vector<const char*> uniforms;    // must all be found
    std::vector<const char*> attributes;  // read by the shaders, so never dropped
};

const char* const kRibbonUniforms[] = {"uRibbonMatrixes", "uRibbonVertexes"};

std::vector<ProgramPair> ProgramsInUse()
{
    const std::vector<const char*> ribbon(std::begin(kRibbonUniforms), std::end(kRibbonUniforms));
    std::vector<const char*> withLength = ribbon;
    withLength.push_back("uRibbonLength");
    return {
        {114, 111, ribbon, {"aGridPoint", "aNormal", "aGridX", "aGridY"}},
        // The grooves never tilt along gridY, so the linker drops aGridY here.
        {114, 110, ribbon, {"aGridPoint", "aNormal", "aGridX"}},
        {114, 112, ribbon, {"aNormal"}},
        {114, 113, ribbon, {"aNormal"}},
        {125, 124, withLength, {"aNormal", "aGridPoint"}},
        {129, 128, {"uTransformationMatrix", "uSphereCenter"}, {"aGridPoint"}},
        {145, 144, withLength, {"aNormal", "aGridPoint"}},
    };
}

class ShaderProgramXvfbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { context_ = new GLTestContext(640, 480); }
    static void TearDownTestSuite()
    {
        delete context_;
        context_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(context_->IsReady()) << "no GL 2.0 context on the display"; }

    static GLTestContext* context_;
};

GLTestContext* ShaderProgramXvfbTest::context_ = nullptr;

// A ribbon bent and rolled by a winding head path.
void Bend(Ribbon& ribbon)
{
    for (int step = 0; step < 120; ++step) {
        const double t = step * 0.04;
        ribbon.MoveHead(Vector3(0.3 * std::sin(t), 0.2 * std::cos(1.7 * t), -0.5 - 0.3 * std::sin(0.9 * t)),
                        Vector3(std::sin(0.5 * t), 1.0, 0.2));
    }
}

// Ribbon-local points spread over the whole chain, kept off the node boundaries: there
// neighbouring frames meet, and float and double rounding may pick either node, which
// moves a point off the axis by its distance times the turn between the two frames.
std::vector<Vector3> SamplePoints(int count)
{
    std::vector<Vector3> points;
    for (int i = 1; i <= count; ++i) {
        const double x = (i - 0.5) / count;
        points.emplace_back(x, 0.08 * std::sin(7.0 * x), 0.06 * std::cos(5.0 * x));
    }
    return points;
}

void UploadRibbon(unsigned int program, Ribbon& ribbon, double length)
{
    glUseProgram(program);
    glUniformMatrix3fv(glGetUniformLocation(program, "uRibbonMatrixes"), ribbon.NodeCount(), GL_FALSE,
                       ribbon.PackMatrixes());
    glUniform3fv(glGetUniformLocation(program, "uRibbonVertexes"), ribbon.NodeCount(), ribbon.PackVertexes());
    const int lengthLocation = glGetUniformLocation(program, "uRibbonLength");
    if (lengthLocation >= 0)
        glUniform1f(lengthLocation, static_cast<float>(length));
    const int normal = FindOptionalAttribute(program, "aNormal");
    if (normal >= 0)
        glVertexAttrib3f(static_cast<GLuint>(normal), 0.0f, 0.0f, 1.0f);
}

std::vector<float> CaptureOnRibbon(unsigned int program, Ribbon& ribbon, const std::vector<Vector3>& points)
{
    return CaptureVertexStage(program, [&] { UploadRibbon(program, ribbon, 1.0); }, points);
}

}  // namespace

TEST_F(ShaderProgramXvfbTest, EveryProgramInUseLinksWithTheNamesItsUserNeeds)
{
    for (const ProgramPair& pair : ProgramsInUse()) {
        SCOPED_TRACE(testing::Message() << "program " << pair.vertexId << " + " << pair.fragmentId);
        unsigned int program = 0;
        ASSERT_EQ(CreateShaderProgram(pair.vertexId, pair.fragmentId, &program), 0);
        EXPECT_NE(program, 0u);
        for (const char* name : pair.uniforms)
            EXPECT_NE(glGetUniformLocation(program, name), -1) << name;
        for (const char* name : pair.attributes)
            EXPECT_NE(FindOptionalAttribute(program, name), -1) << name;
        for (const char* name : {"aGridPoint", "aNormal", "aGridX", "aGridY"}) {
            if (FindOptionalAttribute(program, name) == -1)
                std::printf("%d + %d: %s dropped by the linker\n", pair.vertexId, pair.fragmentId, name);
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(ShaderProgramXvfbTest, FailuresReturnOneAndLeaveTheProgramUntouched)
{
    unsigned int program = 12345;
    // No such resource.
    EXPECT_EQ(CreateShaderProgram(999, 124, &program), 1);
    EXPECT_EQ(CreateShaderProgram(125, 998, &program), 1);
    // Both compile, but the fragment shader reads varyings the vertex shader never
    // writes: the fruit's vertex stage has no grid rulers, the creature's no length.
    EXPECT_EQ(CreateShaderProgram(129, 110, &program), 1);
    EXPECT_EQ(CreateShaderProgram(114, 144, &program), 1);
    // A text that does not compile.
    EXPECT_EQ(CreateShaderProgramFromTexts("void main() { gl_Position = ; }", nullptr, &program), 1);
    EXPECT_EQ(program, 12345u);

    // A skipped stage is not a failure.
    EXPECT_EQ(CreateShaderProgram(125, 0, &program), 0);
    EXPECT_NE(program, 12345u);
}

TEST_F(ShaderProgramXvfbTest, SourceIsTheEmbeddedTextInPlace)
{
    ShaderSource source(125);
    ASSERT_TRUE(source.IsLoaded());
    EXPECT_EQ(source.Count(), 1);
    EXPECT_NE(std::string(source.Texts()[0]).find("uRibbonLength"), std::string::npos);
    ShaderSource missing(997);
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_EQ(missing.Count(), -1);
}

TEST_F(ShaderProgramXvfbTest, DroppedAttributesAreSkippedWithoutError)
{
    unsigned int program = 0;
    ASSERT_EQ(CreateShaderProgram(125, 124, &program), 0);
    const int gridX = FindOptionalAttribute(program, "aGridX");
    const int gridY = FindOptionalAttribute(program, "aGridY");
    std::printf("stalk program: aGridX at %d, aGridY at %d (-1: dropped by the linker)\n", gridX, gridY);
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, 64, nullptr, GL_STATIC_DRAW);
    SetAttributeBlock(gridX, 3, 16);
    SetAttributeBlock(-1, 3, 16);
    EnableAttribute(gridY);
    EnableAttribute(-1);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShaderProgramXvfbTest, RibbonShaderPlacesVerticesWhereTheProcessorDoes)
{
    Ribbon ribbon(20);
    Bend(ribbon);
    const std::vector<Vector3> points = SamplePoints(200);
    unsigned int program = 0;
    ASSERT_EQ(CreateShaderProgram(114, 112, &program), 0);
    const std::vector<float> captured = CaptureOnRibbon(program, ribbon, points);
    ASSERT_EQ(captured.size(), points.size() * 7);

    double worstWorld = 0.0;
    double worstPixel = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Vector3 expected = ribbon.TransformVertex(points[i], points[i].x);
        const float* clip = &captured[7 * i];
        const Vector3 world(clip[4], clip[5], clip[6]);
        worstWorld = std::fmax(worstWorld, (world - expected).Length());
        const Vector3 window = ProjectToWindow(expected);
        const double px = (clip[0] / clip[3] + 1.0) * 0.5 * context_->Width();
        const double py = (clip[1] / clip[3] + 1.0) * 0.5 * context_->Height();
        worstPixel = std::fmax(worstPixel, std::hypot(px - window.x, py - window.y));
    }
    std::printf("ribbon shader vs processor: worst world %.3g, worst %.3g px\n", worstWorld, worstPixel);
    EXPECT_LT(worstWorld, 1e-5);
    EXPECT_LT(worstPixel, 1.0);
    glUseProgram(0);
}

TEST_F(ShaderProgramXvfbTest, LongRibbonShaderMatchesAtUnitLength)
{
    Ribbon ribbon(40);
    Bend(ribbon);
    const std::vector<Vector3> points = SamplePoints(160);
    unsigned int program = 0;
    ASSERT_EQ(CreateShaderProgram(145, 144, &program), 0);
    const std::vector<float> captured = CaptureOnRibbon(program, ribbon, points);
    ASSERT_EQ(captured.size(), points.size() * 7);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Vector3 expected = ribbon.TransformVertex(points[i], points[i].x);
        const Vector3 world(captured[7 * i + 4], captured[7 * i + 5], captured[7 * i + 6]);
        EXPECT_LT((world - expected).Length(), 1e-5) << "x = " << points[i].x;
    }
    glUseProgram(0);
}

TEST_F(ShaderProgramXvfbTest, MeshBuffersHoldTheFiveBlocksAndTheIndices)
{
    std::vector<RibbonMeshVertex> vertices(2);
    vertices[0].position = Vector3(0.5, 0.1, 0.2);
    vertices[0].gridPoint = Vector2(3, 4);
    vertices[0].normal = Vector3(0, 0, 1);
    vertices[0].gridX = Vector3(1, 0, 0);
    vertices[0].gridY = Vector3(0, 1, 0);
    vertices[1].position = Vector3(1.0, -0.1, 0.0);
    const std::uint32_t indices[6] = {0, 1, 0, 1, 0, 1};
    RibbonMeshPart part;
    part.vertexCount = 2;
    part.triangleCount = 2;
    part.vertices = vertices.data();
    part.indices = indices;
    ASSERT_EQ(Ribbon::BuildMeshBuffers(&part), 0);
    ASSERT_NE(part.vertexBuffer, 0u);
    ASSERT_NE(part.indexBuffer, 0u);
    GLint bound = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);

    std::vector<float> expected(28);
    Ribbon::FillMeshBuffer(part, expected.data());
    std::vector<float> stored(28, -7.0f);
    glBindBuffer(GL_ARRAY_BUFFER, part.vertexBuffer);
    GLint size = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 112);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, 112, stored.data());
    EXPECT_EQ(stored, expected);
    std::uint32_t storedIndices[6] = {};
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, part.indexBuffer);
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 24);
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, 24, storedIndices);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(storedIndices[i], indices[i]);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

TEST_F(ShaderProgramXvfbTest, DrawnPointsLandOnTheProcessorsPixels)
{
    Ribbon ribbon(20);
    Bend(ribbon);
    unsigned int program = 0;
    ASSERT_EQ(CreateShaderProgram(114, 113, &program), 0);
    UploadRibbon(program, ribbon, 1.0);
    glDisable(GL_DEPTH_TEST);
    for (const Vector3& p : SamplePoints(7)) {
        SCOPED_TRACE(testing::Message() << "x = " << p.x);
        glClear(GL_COLOR_BUFFER_BIT);
        const float vertex[3] = {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
        glBegin(GL_POINTS);
        glVertex3fv(vertex);
        glEnd();
        const std::vector<unsigned char> rows = context_->ReadBack();
        // Centre of the lit pixels, in window coordinates (y up).
        double sumX = 0;
        double sumY = 0;
        int lit = 0;
        for (int y = 0; y < context_->Height(); ++y)
            for (int x = 0; x < context_->Width(); ++x)
                if (rows[(static_cast<std::size_t>(y) * context_->Width() + x) * 3] > 0) {
                    sumX += x + 0.5;
                    sumY += context_->Height() - y - 0.5;
                    ++lit;
                }
        ASSERT_GT(lit, 0);
        const Vector3 expected = ProjectToWindow(ribbon.TransformVertex(p, p.x));
        EXPECT_LE(std::hypot(sumX / lit - expected.x, sumY / lit - expected.y), 1.0);
    }
    glEnable(GL_DEPTH_TEST);
    glUseProgram(0);
}
