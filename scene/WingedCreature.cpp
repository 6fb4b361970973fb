#include "scene/WingedCreature.h"

#include "platform/OpenGL.h"
#include "render/ShaderProgram.h"
#include "render/Texture.h"

namespace {

const int kVertexShader = 114;
const int kFragmentShaders[CreatureModelParts] = {111, 110, 112, 113};  // scales, wrinkles, eyes, horns
// The attributes each part's shader reads, which the linker therefore keeps; it may drop
// the others (the grooves never tilt along gridY, the eyes and horns use only the normal).
struct NeededAttributes {
    bool gridPoint, gridX, gridY;
};
const NeededAttributes kNeeded[CreatureModelParts] = {
    {true, true, true}, {true, true, false}, {false, false, false}, {false, false, false}};

// Where the wings sit on the body, in ribbon-local coordinates.
const double kWingX = 0.6;
const Vector3 kWingAnchor(0.6, 0.05, 0.03);
const Vector3 kWingForward(1.0, 0.0, 0.0);
const Vector3 kWingSide(0.0, 1.0, 0.0);

const double kSparkHalfSize = 0.02;

}  // namespace

WingedCreature::WingedCreature() : body_(kBodyNodes), flight_(&body_)
{
    for (CreatureWing& wing : wings_)
        wing.Sparks().SetGlowTexture(CreateGlowTexture());
    for (int k = 0; k <= CreatureModelParts; ++k)
        parts_[k] = WingedCreatureModel[k];
    if (!sound_.IsReady())
        return;
    if (!BuildPrograms())
        return;
    if (!BuildBuffers())
        return;
    ready_ = true;
}

unsigned int WingedCreature::CreateGlowTexture()
{
    float pixels[WingSparks::kGlowSize * WingSparks::kGlowSize];
    WingSparks::FillGlowPixels(pixels);
    const unsigned int texture = CreateTexture(GL_REPEAT, GL_LINEAR, GL_NEAREST,
                                               {GL_ALPHA8, WingSparks::kGlowSize, GL_ALPHA, GL_FLOAT, pixels});
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

bool WingedCreature::BuildPrograms()
{
    for (int k = 0; k < CreatureModelParts; ++k) {
        unsigned int program = 0;
        if (CreateShaderProgram(kVertexShader, kFragmentShaders[k], &program) != 0)
            return false;
        CreatureProgram& p = programs_[k];
        p.aGridPoint = FindOptionalAttribute(program, "aGridPoint");
        p.aNormal = FindOptionalAttribute(program, "aNormal");
        p.aGridX = FindOptionalAttribute(program, "aGridX");
        p.aGridY = FindOptionalAttribute(program, "aGridY");
        p.uRibbonMatrixes = glGetUniformLocation(program, "uRibbonMatrixes");
        p.uRibbonVertexes = glGetUniformLocation(program, "uRibbonVertexes");
        p.program = static_cast<int>(program);
        if (p.aNormal == -1 || p.uRibbonMatrixes == -1 || p.uRibbonVertexes == -1)
            return false;
        const NeededAttributes& needed = kNeeded[k];
        if ((needed.gridPoint && p.aGridPoint == -1) || (needed.gridX && p.aGridX == -1) ||
            (needed.gridY && p.aGridY == -1))
            return false;
    }
    return true;
}

bool WingedCreature::BuildBuffers()
{
    Ribbon::FitModelToRibbon(parts_);
    for (int k = 0; parts_[k].vertexCount != 0; ++k) {
        if (Ribbon::BuildMeshBuffers(&parts_[k]) != 0)
            return false;
    }
    return true;
}

void WingedCreature::Step(std::int32_t elapsedMs)
{
    flight_.Update(elapsedMs);
    for (int k = 0; k < 2; ++k) {
        // The second wing is the first one mirrored across the body.
        const double mirror = k == 0 ? 1.0 : -1.0;
        const Vector3 anchor(kWingAnchor.x, kWingAnchor.y * mirror, kWingAnchor.z);
        const Vector3 sideAxis(kWingSide.x, kWingSide.y * mirror, kWingSide.z);
        CreatureWing& wing = wings_[k];
        wing.Attach(body_.TransformVertex(anchor, kWingX), body_.TransformNormal(kWingForward, kWingX),
                    body_.TransformNormal(sideAxis, kWingX));
        wing.Update(elapsedMs);
        wing.BuildSweep();
    }
    sound_.Update(body_.Node(0).position, elapsedMs);
}

void WingedCreature::UpdateAndDraw(std::int32_t elapsedMs)
{
    // Drawing reads only what Step left, and Step draws its random numbers in the order
    // the frame shows them: the body's motion, then each wing's streaks and spark.
    Step(elapsedMs);
    if (!ready_)
        return;
    DrawBody();
    DrawWing(wings_[0]);
    DrawWing(wings_[1]);
}

void WingedCreature::DrawBody()
{
    const float* matrixes = body_.PackMatrixes();
    const float* vertexes = body_.PackVertexes();
    glEnable(GL_DEPTH_TEST);
    for (int k = 0; k < CreatureModelParts; ++k) {
        const CreatureProgram& p = programs_[k];
        const RibbonMeshPart& part = parts_[k];
        const int n = part.vertexCount;
        glUseProgram(static_cast<GLuint>(p.program));
        glUniformMatrix3fv(p.uRibbonMatrixes, kBodyNodes, GL_FALSE, matrixes);
        glUniform3fv(p.uRibbonVertexes, kBodyNodes, vertexes);
        glBindBuffer(GL_ARRAY_BUFFER, part.vertexBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, part.indexBuffer);
        glVertexPointer(3, GL_FLOAT, 0, reinterpret_cast<const void*>(Ribbon::MeshPositionsOffset(n)));
        glEnableClientState(GL_VERTEX_ARRAY);
        SetAttributeBlock(p.aGridX, 3, Ribbon::MeshGridXOffset(n));
        SetAttributeBlock(p.aGridY, 3, Ribbon::MeshGridYOffset(n));
        SetAttributeBlock(p.aNormal, 3, Ribbon::MeshNormalOffset(n));
        SetAttributeBlock(p.aGridPoint, 2, Ribbon::MeshGridPointOffset(n));
        EnableAttribute(p.aGridX);
        EnableAttribute(p.aGridY);
        EnableAttribute(p.aNormal);
        EnableAttribute(p.aGridPoint);
        glDrawElements(GL_TRIANGLES, 3 * part.triangleCount, GL_UNSIGNED_INT, nullptr);
        glDisableClientState(GL_VERTEX_ARRAY);
        const int attributes[4] = {p.aGridX, p.aGridY, p.aNormal, p.aGridPoint};
        for (int location : attributes) {
            if (location >= 0)
                glDisableVertexAttribArray(static_cast<GLuint>(location));
        }
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glUseProgram(0);
}

void WingedCreature::DrawWing(const CreatureWing& wing)
{
    const CreatureWing::Sweep& w = wing.LastSweep();
    glDisable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glColor4d(0.5, 0.5, 0.5, w.alpha);
    for (int k = 0; k < CreatureWing::kStreaks; ++k) {
        glBegin(GL_LINE_STRIP);
        for (int i = 0; i < w.streakPoints; ++i)
            EmitVertex(w.streaks[k][i]);
        glEnd();
    }
    for (int s = 0; s < 2; ++s) {
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i < CreatureWing::kStripPoints; ++i)
            EmitVertex(w.strips[s][i]);
        glEnd();
    }
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    DrawSparks(wing.Sparks());
}

void WingedCreature::DrawSparks(const WingSparks& sparks)
{
    // Additive glowing squares: colour from the vertex, alpha from the glow texture.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, sparks.GlowTexture());
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    for (const WingSpark& spark : sparks.Sparks()) {
        const Vector3 colour = sparks.Colour(spark);
        glColor3d(colour.x, colour.y, colour.z);
        EmitTexturedSquare(spark.position, kSparkHalfSize);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}
