#include "scene/FlowersHolder.h"

#include <new>

#include "app/ProcessObjects.h"
#include "platform/OpenGL.h"
#include "render/ShaderProgram.h"
#include "scene/FruitMesh.h"
#include "scene/StalkMesh.h"

namespace {

const int kStalkVertexShader = 125;
const int kStalkFragmentShader = 124;
const int kFruitVertexShader = 129;
const int kFruitFragmentShader = 128;

const void* BufferOffset(std::size_t bytes) { return reinterpret_cast<const void*>(bytes); }

// Uploads staging data into a new static buffer and unbinds it.
unsigned int MakeStaticBuffer(GLenum target, const void* data, std::size_t bytes)
{
    GLuint name = 0;
    glGenBuffers(1, &name);
    glBindBuffer(target, name);
    glBufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    glBindBuffer(target, 0);
    return name;
}

}  // namespace

std::vector<Flower*> FlowersHolder::MakeFlowers()
{
    std::vector<Flower*> flowers;
    flowers.push_back(new (std::nothrow) Flower(Vector3(-5, -2, -20), Vector3(-0.7, 0, -0.7), 5, 0.5));
    flowers.push_back(new (std::nothrow) Flower(Vector3(5, -2, -20), Vector3(-0.7, 0, 0.7), 3, 0.3));
    flowers.push_back(new (std::nothrow) Flower(Vector3(3, -2, -30), Vector3(0, 0, 1), 6, 0.6));
    flowers.push_back(new (std::nothrow) Flower(Vector3(-1, -2, -40), Vector3(0.7, 0, -0.7), 10, 1.0));
    return flowers;
}

FlowersHolder::FlowersHolder()
{
    TheEventLog.Write(0, "Creating OGL program for stalk");
    if (!BuildStalkProgram()) {
        TheEventLog.Write(1, "Can not create an OpenGL application for Stalk");
        return;
    }
    if (!BuildStalkMesh()) {
        TheEventLog.Write(1, "Can not create a model for Stalk");
        return;
    }
    TheEventLog.Write(0, "Creating OGL program for fruit");
    if (!BuildFruitProgram()) {
        TheEventLog.Write(1, "Can not create an OpenGL application for Fruit");
        return;
    }
    if (!BuildFruitMesh()) {
        TheEventLog.Write(1, "Can not create a model for Fruit");
        return;
    }

    flowers_ = MakeFlowers();
    for (Flower* flower : flowers_) {
        if (flower == nullptr)
            return;
    }
    // Every stalk has its shape before the first frame.
    Update(0);
    ready_ = true;
}

FlowersHolder::~FlowersHolder()
{
    for (Flower* flower : flowers_)
        delete flower;
}

bool FlowersHolder::BuildStalkProgram()
{
    if (CreateShaderProgram(kStalkVertexShader, kStalkFragmentShader, &stalkProgram_) != 0)
        return false;
    return FindRibbonProgramLocations(stalkProgram_, &stalk_);
}

// The geometry itself cannot fail; a buffer name of 0 means the driver gave none.
bool FlowersHolder::BuildStalkMesh()
{
    const StalkMesh mesh;
    stalkVertexBuffer_ = MakeStaticBuffer(GL_ARRAY_BUFFER, mesh.VertexData().data(), StalkMesh::kVertexBytes);
    stalkIndexBuffer_ = MakeStaticBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.Indices().data(),
                                         mesh.Indices().size() * sizeof(std::uint32_t));
    return stalkVertexBuffer_ != 0 && stalkIndexBuffer_ != 0;
}

bool FlowersHolder::BuildFruitProgram()
{
    if (CreateShaderProgram(kFruitVertexShader, kFruitFragmentShader, &fruitProgram_) != 0)
        return false;
    fruitTransformationMatrix_ = glGetUniformLocation(fruitProgram_, "uTransformationMatrix");
    fruitSphereCenter_ = glGetUniformLocation(fruitProgram_, "uSphereCenter");
    fruitGridPoint_ = FindOptionalAttribute(fruitProgram_, "aGridPoint");
    return fruitTransformationMatrix_ != -1 && fruitSphereCenter_ != -1;
}

bool FlowersHolder::BuildFruitMesh()
{
    const FruitMesh mesh;
    fruitVertexBuffer_ = MakeStaticBuffer(GL_ARRAY_BUFFER, mesh.VertexData().data(), FruitMesh::kVertexBytes);
    fruitIndexBuffer_ = MakeStaticBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.Indices().data(),
                                         mesh.Indices().size() * sizeof(std::uint32_t));
    return fruitVertexBuffer_ != 0 && fruitIndexBuffer_ != 0;
}

void FlowersHolder::Update(std::int32_t elapsedMs)
{
    for (Flower* flower : flowers_)
        flower->Update(elapsedMs);
}

void FlowersHolder::Draw()
{
    for (Flower* flower : flowers_) {
        DrawStalk(*flower);
        DrawFruit(*flower);
    }
}

void FlowersHolder::DrawStalk(Flower& flower)
{
    Ribbon& ribbon = flower.Stalk();
    const float* matrixes = ribbon.PackMatrixes();
    const float* vertexes = ribbon.PackVertexes();
    glDisable(GL_BLEND);
    glUseProgram(stalkProgram_);
    glUniformMatrix3fv(stalk_.ribbonMatrixes, ribbon.NodeCount(), GL_FALSE, matrixes);
    glUniform3fv(stalk_.ribbonVertexes, ribbon.NodeCount(), vertexes);
    SetUniformFloat(stalk_.ribbonLength, flower.Length());

    glBindBuffer(GL_ARRAY_BUFFER, stalkVertexBuffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, stalkIndexBuffer_);
    EnableRibbonAttributes(stalk_, {StalkMesh::kPositionsOffset, StalkMesh::kNormalOffset, StalkMesh::kGridXOffset,
                                    StalkMesh::kGridYOffset, StalkMesh::kGridPointOffset});
    glDrawElements(GL_TRIANGLES, StalkMesh::kIndexCount, GL_UNSIGNED_INT, BufferOffset(0));

    glUseProgram(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void FlowersHolder::DrawFruit(const Flower& flower)
{
    const Ribbon& ribbon = flower.Stalk();
    const int n = ribbon.NodeCount();
    const RibbonNode& tip = ribbon.Node(n - 1);
    const double s = flower.FruitRadius();
    const double gap = 0.2 * flower.Length() / n;

    glUseProgram(fruitProgram_);
    glBindBuffer(GL_ARRAY_BUFFER, fruitVertexBuffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, fruitIndexBuffer_);
    glVertexPointer(3, GL_FLOAT, 0, BufferOffset(FruitMesh::kPositionsOffset));
    glEnableClientState(GL_VERTEX_ARRAY);
    SetAttributeBlock(fruitGridPoint_, 2, FruitMesh::kGridPointOffset);
    EnableAttribute(fruitGridPoint_);

    // The sphere's local x axis continues the stalk beyond its tip.
    const Vector3 attach = tip.position - tip.tangent * gap;
    const TransformationMatrix matrix = MakeTransformationMatrix(tip.tangent * -1.0, tip.side, tip.up, attach, s);
    glUniformMatrix4fv(fruitTransformationMatrix_, 1, GL_FALSE, matrix.m);
    SetUniformVector3(fruitSphereCenter_, tip.position - tip.tangent * (gap + s));
    glDrawElements(GL_TRIANGLES, FruitMesh::kIndexCount, GL_UNSIGNED_INT, BufferOffset(0));

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glUseProgram(0);
}
