#include "scene/TentaclesHolder.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <new>

#include "app/ApplicationState.h"
#include "app/ProcessObjects.h"
#include "platform/OpenGL.h"
#include "render/ShaderProgram.h"
#include "render/Texture.h"

namespace {

constexpr std::int64_t kExpansionBudgetSeconds = 4000;
// Rows of the next picture sent to OpenGL per frame: a whole picture takes 8 frames.
constexpr int kStripRows = 64;

}  // namespace

TentaclesHolder::TentaclesHolder()
    : TentacleCycle(SlideshowPictures.GetEntries(), kExpansionBudgetSeconds, &TheApplicationState.stopFlag)
{
    Build();
}

TentaclesHolder::TentaclesHolder(const std::list<PictureEntry>& entries, const std::atomic<int>* stopFlag)
    : TentacleCycle(entries, kExpansionBudgetSeconds, stopFlag)
{
    Build();
}

void TentaclesHolder::Build()
{
    TheEventLog.Write(0, "Creating OGL program for tentacle");
    const bool built = CreateShaderProgram(145, 144, &program_) == 0;
    // The fragment shader does not read the grid rulers, so the linker may drop them.
    if (!built || !FindRibbonProgramLocations(program_, &locations_)) {
        TheEventLog.Write(1, "Can not create an OpenGL application for Tentacle");
        return;
    }
    if (!BuildModel()) {
        TheEventLog.Write(1, "Can not create a model for Tentacle");
        return;
    }
    // Both get their storage now; pictures then arrive strip by strip.
    for (unsigned int* texture : {&pictureTexture_, &stagingTexture_}) {
        *texture = CreateTexture(GL_CLAMP_TO_EDGE, GL_LINEAR, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16, kCanvasSize, kCanvasSize, 0, GL_BGR, GL_UNSIGNED_BYTE, nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    // The first Advance and the first wait; no random draw happens in between.
    Start();
    ready_ = true;
}

bool TentaclesHolder::BuildModel()
{
    std::unique_ptr<float[]> vertexData(new (std::nothrow) float[kModelBytes / 4]);
    std::unique_ptr<std::uint32_t[]> indices(new (std::nothrow) std::uint32_t[kModelIndexCount]);
    if (vertexData == nullptr || indices == nullptr)
        return false;
    BuildTubeModel(vertexData.get(), indices.get());
    glGenBuffers(1, &vertexBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBufferData(GL_ARRAY_BUFFER, kModelBytes, vertexData.get(), GL_STATIC_DRAW);
    glGenBuffers(1, &indexBuffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, kModelIndexCount * sizeof(std::uint32_t), indices.get(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    return vertexBuffer_ != 0 && indexBuffer_ != 0;
}

void TentaclesHolder::Update(std::uint32_t elapsedMs)
{
    TentacleCycle::Update(elapsedMs);
    if (TakePreparedCanvasArrival())
        stagedRows_ = 0;
    if (PreparedCanvas() != nullptr)
        StagePictureRows(*PreparedCanvas(), kStripRows);
    if (TakeCanvasChange()) {
        // A picture that arrived only now (or a test that waits for it) is staged whole.
        StagePictureRows(Canvas(), kCanvasSize);
        std::swap(pictureTexture_, stagingTexture_);
    }
}

void TentaclesHolder::StagePictureRows(const CImage& canvas, int rows)
{
    if (stagedRows_ >= kCanvasSize)
        return;
    const int count = std::min(rows, kCanvasSize - stagedRows_);
    // The canvas lies bottom row first, as OpenGL's t = 0 wants it: the picture is upright.
    glBindTexture(GL_TEXTURE_2D, stagingTexture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, stagedRows_, kCanvasSize, count, GL_BGR, GL_UNSIGNED_BYTE,
                    canvas.GetMemory() + static_cast<std::size_t>(stagedRows_) * canvas.GetRowSize());
    glBindTexture(GL_TEXTURE_2D, 0);
    stagedRows_ += count;
}

void TentaclesHolder::Draw()
{
    if (Drawable()) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
        const float* matrixes = PackMatrixes();
        const float* vertexes = PackVertexes();
        glUseProgram(program_);
        glUniformMatrix3fv(locations_.ribbonMatrixes, kNodeCount, GL_FALSE, matrixes);
        glUniform3fv(locations_.ribbonVertexes, kNodeCount, vertexes);
        SetUniformFloat(locations_.ribbonLength, PathLength());
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
        EnableRibbonAttributes(locations_, {0, kNormalOffset, kGridXOffset, kGridYOffset, kGridPointOffset});
        glDrawElements(GL_TRIANGLES, kModelIndexCount, GL_UNSIGNED_INT, nullptr);
        // Arrays left enabled would point later client-array drawing at buffer offsets.
        glDisableClientState(GL_VERTEX_ARRAY);
        for (int location : {locations_.normal, locations_.gridX, locations_.gridY, locations_.gridPoint}) {
            if (location >= 0)
                glDisableVertexAttribArray(static_cast<GLuint>(location));
        }
        glUseProgram(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glDisable(GL_BLEND);
    }
    if (DiscVisible()) {
        // Faded fully in, the disc hides what lies behind it (its picture is opaque):
        // blending would give the same pixels at an eighth more of the disc's cost.
        if (Alpha() < 1.0) {
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glEnable(GL_BLEND);
        }
        glEnable(GL_DEPTH_TEST);
        glColor4d(1.0, 1.0, 1.0, Alpha());
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, pictureTexture_);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glBegin(GL_TRIANGLE_FAN);
        for (const DiscVertex& vertex : Disc()) {
            EmitTexCoord(vertex.texCoord);
            EmitVertex(vertex.position);
        }
        glEnd();
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
    }
}
