#include "scene/FormlessPlanet.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "app/ProcessObjects.h"
#include "platform/BitmapResources.h"
#include "platform/OpenGL.h"
#include "render/FrameFences.h"
#include "render/SceneView.h"
#include "render/ShaderProgram.h"
#include "render/Texture.h"
#include "render/VectorMath.h"

namespace {

const int kGlowSize = 64;
const int kPlanetSize = 128;
const std::size_t kPlanetBytes = kPlanetSize * kPlanetSize * 4;  // 65,536
const double kEyeZ = 4.0;  // the camera's distance in front of the origin

// A spot's change in the accumulated glow: what it adds at its new grey level less what
// it added at the old one (both in gl_TexCoord[1]), each rounded as an 8-bit colour
// buffer rounds grey times the sampled alpha.
const char* const kSpotChangeShader = R"(#version 110
uniform sampler2D glow;
void main()
{
    float alpha = floor(texture2D(glow, gl_TexCoord[0].st).a * 255.0 + 0.5);
    float before = floor(gl_TexCoord[1].s * alpha / 255.0 + 0.5);
    float after = floor(gl_TexCoord[1].t * alpha / 255.0 + 0.5);
    gl_FragColor = vec4(after - before, 0.0, 0.0, 0.0);
}
)";

// The accumulated levels, one texel per pixel, as a colour to add to the view. The
// texel of a pixel is at its window position times pixelScale plus pixelOffset: the
// levels' rows may run the other way than the target's.
const char* const kAddShader = R"(#version 110
uniform sampler2D levels;
uniform vec2 pixelScale;
uniform vec2 pixelOffset;
void main()
{
    float sum = texture2D(levels, gl_FragCoord.xy * pixelScale + pixelOffset).r;
    gl_FragColor = vec4(vec3(sum / 255.0), 0.0);
}
)";

// A spot's grey is at most 0.02: 5.1 levels of 255.
const int kBrightestSpotLevel = 5;

// The level an 8-bit colour buffer gives the spot's grey.
int DrawnGreyLevel(const GlowParticle& particle)
{
    const double grey = GlowCloud::Brightness(particle) * 0.02;
    if (!(grey > 0.0))
        return 0;
    return static_cast<int>(std::min(255L, std::lround(static_cast<float>(grey) * 255.0f)));
}

// The outline as triangles on the spot's square, inside a GL_TRIANGLES batch.
void EmitSpotOutline(const GlowSpotOutline::Polygon& outline, const GlowParticle& particle)
{
    for (std::size_t i = 1; i + 1 < outline.count; ++i)
        for (const std::size_t k : {std::size_t{0}, i, i + 1}) {
            EmitTexCoord(outline.corners[k]);
            EmitVertex(GlowSpotOutline::OnSquare(outline.corners[k], particle.position, particle.size));
        }
}

}  // namespace

double FormlessPlanet::GlowTexel(int row, int column)
{
    const double x = row * 0.03125 - 1.0;
    const double y = column * 0.03125 - 1.0;
    const double r = std::sqrt(x * x + y * y);
    if (r > 1.0)
        return 0.0;
    return std::cos(r * 3.1415926) + 1.0;
}

std::uint8_t FormlessPlanet::PlanetMaskAlpha(int row, int column)
{
    const double x = row * 0.015625 - 1.0;
    const double y = column * 0.015625 - 1.0;
    const double d = std::sqrt(x * x + y * y);
    if (d > 1.0)
        return 0;
    if (d > 0.9)
        return static_cast<std::uint8_t>((1.0 - d) * 2550.0);
    return 255;
}

FormlessPlanet::FormlessPlanet() : FormlessPlanet(kPlanetBitmapId) {}

FormlessPlanet::FormlessPlanet(int planetBitmapId)
{
    TheEventLog.Write(0, "Start initialization for the formless planet");

    // The spot's alpha as the 8-bit upload of the float texels would store it, in white
    // texels: modulated by the current colour they give what an alpha-only texture
    // replacing the alpha gives, and 8-bit colour texels take a software renderer's
    // quick path.
    std::vector<std::uint8_t> glowAlpha(kGlowSize * kGlowSize);
    std::vector<std::uint8_t> glow(glowAlpha.size() * 4, 255);
    for (int row = 0; row < kGlowSize; ++row)
        for (int column = 0; column < kGlowSize; ++column) {
            const std::size_t i = static_cast<std::size_t>(row * kGlowSize + column);
            glowAlpha[i] = static_cast<std::uint8_t>(std::lround(std::min(1.0, GlowTexel(row, column)) * 255.0));
            glow[i * 4 + 3] = glowAlpha[i];
        }
    glowTexture_ = CreateTexture(GL_REPEAT, GL_LINEAR, GL_NEAREST,
                                 {GL_RGBA8, kGlowSize, GL_BGRA, GL_UNSIGNED_BYTE, glow.data()});
    // The same texels for spots drawn larger than the texture everywhere, where only
    // magnification applies: one filter for both cases spares the renderer choosing
    // between them at every pixel.
    magnifiedGlowTexture_ = CreateTexture(GL_REPEAT, GL_LINEAR, GL_LINEAR,
                                          {GL_RGBA8, kGlowSize, GL_BGRA, GL_UNSIGNED_BYTE, glow.data()});
    outline_.reset(new (std::nothrow) GlowSpotOutline(glowAlpha, kGlowSize));
    if (outline_ == nullptr)
        return;

    platform::BgrxBitmap bitmap;
    if (!platform::LoadBitmapResource(planetBitmapId, &bitmap))
        return;
    TheEventLog.Write(0, "Bitmap is loaded");
    // A picture of another size fills what it can; the rest stays black.
    std::vector<std::uint8_t> pixels(kPlanetBytes, 0);
    std::memcpy(pixels.data(), bitmap.pixels.data(), std::min(kPlanetBytes, bitmap.pixels.size()));
    for (int row = 0; row < kPlanetSize; ++row)
        for (int column = 0; column < kPlanetSize; ++column)
            pixels[(row * kPlanetSize + column) * 4 + 3] = PlanetMaskAlpha(row, column);

    planetTexture_ = CreateTexture(GL_REPEAT, GL_LINEAR, GL_LINEAR,
                                   {GL_RGBA16, kPlanetSize, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data()});

    if (OffscreenTarget::IsSupported(OffscreenTarget::Texels::Float32))
        BuildAccumulationPrograms();

    cloud_.AddRoot();
    ready_ = true;
    TheEventLog.Write(0, "The formless planet is initialized properly");
}

FormlessPlanet::~FormlessPlanet()
{
    if (spotChangeProgram_ != 0)
        glDeleteProgram(spotChangeProgram_);
    if (addProgram_ != 0)
        glDeleteProgram(addProgram_);
}

void FormlessPlanet::BuildAccumulationPrograms()
{
    if (CreateShaderProgramFromTexts(nullptr, kSpotChangeShader, &spotChangeProgram_) != 0 ||
        CreateShaderProgramFromTexts(nullptr, kAddShader, &addProgram_) != 0) {
        if (spotChangeProgram_ != 0)
            glDeleteProgram(spotChangeProgram_);
        spotChangeProgram_ = 0;
        addProgram_ = 0;
        return;
    }
    glUseProgram(spotChangeProgram_);
    glUniform1i(glGetUniformLocation(spotChangeProgram_, "glow"), 0);
    glUseProgram(addProgram_);
    glUniform1i(glGetUniformLocation(addProgram_, "levels"), 0);
    pixelScaleLocation_ = glGetUniformLocation(addProgram_, "pixelScale");
    pixelOffsetLocation_ = glGetUniformLocation(addProgram_, "pixelOffset");
    glUseProgram(0);
}

void FormlessPlanet::Update(std::int32_t elapsedMs)
{
    cloud_.Update(elapsedMs);
    // Levels only leave with the spots removed: one that still held a level leaves it
    // behind in the buffer, which then starts again.
    int held = 0;
    levelChanged_ = false;
    for (const GlowParticle& particle : cloud_.Particles()) {
        held += particle.drawnLevel;
        levelChanged_ = levelChanged_ || DrawnGreyLevel(particle) != particle.drawnLevel;
    }
    if (held != accumulatedLevels_)
        rebuildAccumulation_ = true;
}

void FormlessPlanet::DrawOffscreen()
{
    offscreenDrawn_ = true;
    changedCount_ = 0;
    changedWhole_ = false;
    accumulating_ = PrepareAccumulation();
    if (!accumulating_ || (!rebuildAccumulation_ && !levelChanged_))
        return;
    changedWhole_ = rebuildAccumulation_;
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_ENABLE_BIT | GL_TEXTURE_BIT);
    accumulation_.BeginDrawing();
    if (rebuildAccumulation_) {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        for (std::size_t i = 0; i < cloud_.Count(); ++i)
            cloud_.SetDrawnLevel(i, 0);
        accumulatedLevels_ = 0;
        rebuildAccumulation_ = false;
    }
    const double magnifiedFrom = MagnifiedHalfSize();
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_2D);
    glUseProgram(spotChangeProgram_);
    glBlendFunc(GL_ONE, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, magnifiedGlowTexture_);
    AccumulateSpotChanges(magnifiedFrom, true);
    glBindTexture(GL_TEXTURE_2D, glowTexture_);
    AccumulateSpotChanges(magnifiedFrom, false);
    glUseProgram(0);
    accumulation_.EndDrawing();
    glPopAttrib();
}

void FormlessPlanet::Draw()
{
    // A caller that skipped it (a test drawing the planet alone) still gets a whole cloud.
    if (!offscreenDrawn_)
        DrawOffscreen();
    offscreenDrawn_ = false;
    DrawCloudAndPlanet(nullptr, 0);
}

void FormlessPlanet::DrawCloudAndPlanet(const int (*boxes)[4], int boxCount)
{
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    // The planet comes right after the clear and the backdrop, which writes no depth:
    // every fragment would pass the test, so it is not made.
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);

    if (accumulating_ && accumulationAllowed_) {
        AddAccumulatedSpots(boxes, boxCount);
        glUseProgram(0);
    } else {
        const double magnifiedFrom = MagnifiedHalfSize();
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        // The colour from the current colour, the alpha from the white glow texels.
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        // Additive blending makes the order of the spots irrelevant.
        glBindTexture(GL_TEXTURE_2D, magnifiedGlowTexture_);
        DrawSpots(magnifiedFrom, true);
        glBindTexture(GL_TEXTURE_2D, glowTexture_);
        DrawSpots(magnifiedFrom, false);
    }

    // Colour and alpha from the planet's picture.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, planetTexture_);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (int i = 0; i < std::max(1, boxCount); ++i) {
        if (boxCount > 0)
            glScissor(boxes[i][0], boxes[i][1], boxes[i][2], boxes[i][3]);
        glBegin(GL_QUADS);
        EmitTexturedSquare(PlanetCentre, 1.0);
        glEnd();
    }

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}

bool FormlessPlanet::PrepareAccumulation()
{
    if (spotChangeProgram_ == 0 || !accumulationAllowed_) {
        rebuildAccumulation_ = true;
        return false;
    }
    switch (accumulation_.PrepareForView()) {
    case OffscreenTarget::Preparation::Failed:
        // The driver cannot: every spot is drawn every frame from now on.
        glDeleteProgram(spotChangeProgram_);
        glDeleteProgram(addProgram_);
        spotChangeProgram_ = 0;
        addProgram_ = 0;
        return false;
    case OffscreenTarget::Preparation::Made:
        rebuildAccumulation_ = true;
        break;
    case OffscreenTarget::Preparation::Kept:
        break;
    }
    return true;
}

void FormlessPlanet::AccumulateSpotChanges(double magnifiedFrom, bool magnified)
{
    glBegin(GL_TRIANGLES);
    for (std::size_t index = 0; index < cloud_.Count(); ++index) {
        const GlowParticle& particle = cloud_.Particles()[index];
        if ((particle.size >= magnifiedFrom) != magnified)
            continue;
        const int level = DrawnGreyLevel(particle);
        if (level == particle.drawnLevel)
            continue;
        // The same triangles every time for a spot: what is taken away is then exactly
        // what was added, texel sample for texel sample.
        const GlowSpotOutline::Polygon& outline =
            outline_->ForLevel(std::max({kBrightestSpotLevel, level, particle.drawnLevel}));
        glMultiTexCoord2d(GL_TEXTURE1, particle.drawnLevel, level);
        EmitSpotOutline(outline, particle);
        accumulatedLevels_ += level - particle.drawnLevel;
        cloud_.SetDrawnLevel(index, level);
        if (outline.count == 0)
            continue;
        // Only the outline's pixels change: its box, not the whole square.
        Vector2 low = outline.corners[0], high = outline.corners[0];
        for (std::size_t k = 1; k < outline.count; ++k) {
            low = Vector2(std::min(low.x, outline.corners[k].x), std::min(low.y, outline.corners[k].y));
            high = Vector2(std::max(high.x, outline.corners[k].x), std::max(high.y, outline.corners[k].y));
        }
        const Vector3 lowCorner = GlowSpotOutline::OnSquare(low, particle.position, particle.size);
        const Vector3 highCorner = GlowSpotOutline::OnSquare(high, particle.position, particle.size);
        const double square[4] = {lowCorner.x, lowCorner.y, highCorner.x, highCorner.y};
        if (changedCount_ < kMaxChangedBoxes)
            std::copy(square, square + 4, changedSquares_[changedCount_]);
        for (int k = 0; k < 4; ++k)
            changedUnion_[k] = changedCount_ == 0 ? square[k]
                               : k < 2            ? std::min(changedUnion_[k], square[k])
                                                  : std::max(changedUnion_[k], square[k]);
        ++changedCount_;
    }
    glEnd();
}

int FormlessPlanet::CloudChanges(int boxes[][4], bool* whole) const
{
    *whole = changedWhole_;
    if (changedWhole_ || changedCount_ == 0)
        return 0;
    ViewState view;
    ReadViewState(&view);
    int count = 0;
    const bool each = changedCount_ <= kMaxChangedBoxes;
    for (int i = 0; i < (each ? changedCount_ : 1); ++i) {
        const double* square = each ? changedSquares_[i] : changedUnion_;
        ProjectedPixelBox(view, square[0], square[1], square[2], square[3], PlanetCentre.z, boxes[count]);
        if (boxes[count][2] > 0 && boxes[count][3] > 0)
            ++count;
    }
    // Overlapping boxes become their union until none overlap: a pixel drawn twice
    // would have the cloud and the planet added twice.
    for (bool merged = true; merged;) {
        merged = false;
        for (int i = 0; i < count && !merged; ++i) {
            for (int j = i + 1; j < count && !merged; ++j) {
                int* a = boxes[i];
                const int* b = boxes[j];
                if (a[0] >= b[0] + b[2] || b[0] >= a[0] + a[2] || a[1] >= b[1] + b[3] || b[1] >= a[1] + a[3])
                    continue;
                const int right = std::max(a[0] + a[2], b[0] + b[2]);
                const int top = std::max(a[1] + a[3], b[1] + b[3]);
                a[0] = std::min(a[0], b[0]);
                a[1] = std::min(a[1], b[1]);
                a[2] = right - a[0];
                a[3] = top - a[1];
                std::copy(boxes[count - 1], boxes[count - 1] + 4, boxes[j]);
                --count;
                merged = true;
            }
        }
    }
    return count;
}

void FormlessPlanet::AddAccumulatedSpots(const int (*boxes)[4], int boxCount)
{
    // Every spot lies in the planet's plane, parallel to the view: the box of their
    // squares covers every pixel the buffer holds a level for.
    bool any = false;
    double left = 0.0, right = 0.0, bottom = 0.0, top = 0.0;
    for (const GlowParticle& particle : cloud_.Particles()) {
        if (particle.drawnLevel == 0)
            continue;
        const double l = particle.position.x - particle.size, r = particle.position.x + particle.size;
        const double b = particle.position.y - particle.size, t = particle.position.y + particle.size;
        left = any ? std::min(left, l) : l;
        right = any ? std::max(right, r) : r;
        bottom = any ? std::min(bottom, b) : b;
        top = any ? std::max(top, t) : t;
        any = true;
    }
    if (!any)
        return;
    // A little more, so that no pixel on the box's edge is left to the rasteriser's rule.
    const double margin = 0.05;
    glUseProgram(addProgram_);
    // The levels hold turned rows (see OffscreenTarget); a target that does not turn
    // its own (the window) reads them turned back.
    GLint clipOrigin = GL_LOWER_LEFT;
    if (accumulation_.RowsFlipped())
        glGetIntegerv(GL_CLIP_ORIGIN, &clipOrigin);
    const bool turnBack = accumulation_.RowsFlipped() && clipOrigin == GL_LOWER_LEFT;
    const float inverseHeight = 1.0f / static_cast<float>(accumulation_.Height());
    glUniform2f(pixelScaleLocation_, 1.0f / static_cast<float>(accumulation_.Width()),
                turnBack ? -inverseHeight : inverseHeight);
    glUniform2f(pixelOffsetLocation_, 0.0f, turnBack ? 1.0f : 0.0f);
    // Sampling a buffer that a recent pass drew into ends the window's pass there in
    // the driver anyway; ended here, it is held like the others.
    TheFrameFences.EndPass();
    glBindTexture(GL_TEXTURE_2D, accumulation_.Texture());
    glBlendFunc(GL_ONE, GL_ONE);
    for (int i = 0; i < std::max(1, boxCount); ++i) {
        if (boxCount > 0)
            glScissor(boxes[i][0], boxes[i][1], boxes[i][2], boxes[i][3]);
        glBegin(GL_QUADS);
        EmitVertex(Vector3(left - margin, bottom - margin, PlanetCentre.z));
        EmitVertex(Vector3(right + margin, bottom - margin, PlanetCentre.z));
        EmitVertex(Vector3(right + margin, top + margin, PlanetCentre.z));
        EmitVertex(Vector3(left - margin, top + margin, PlanetCentre.z));
        glEnd();
    }
}

void FormlessPlanet::DrawSpots(double magnifiedFrom, bool magnified) const
{
    // Each spot as the polygon of its square where it can still change a pixel; a spot
    // too faint to change any is left out.
    glBegin(GL_TRIANGLES);
    for (const GlowParticle& particle : cloud_.Particles()) {
        if ((particle.size >= magnifiedFrom) != magnified)
            continue;
        const double grey = GlowCloud::Brightness(particle) * 0.02;
        const GlowSpotOutline::Polygon& outline = outline_->ForGrey(grey);
        if (outline.count < 3)
            continue;
        glColor3d(grey, grey, grey);
        EmitSpotOutline(outline, particle);
    }
    glEnd();
}

double FormlessPlanet::MagnifiedHalfSize() const
{
    // Pixels per world unit in the planet's plane, from the view's own matrices; the
    // narrower of the two directions decides.
    GLdouble projection[16];
    GLint viewport[4] = {0, 0, 0, 0};
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    const double depth = kEyeZ - PlanetCentre.z;
    const double pixelsPerUnit =
        std::min(projection[0] * viewport[2], projection[5] * viewport[3]) / (2.0 * depth);
    return GlowSpotOutline::MagnifiedHalfSize(pixelsPerUnit, kGlowSize);
}
