#include "scene/FormlessPlanet.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "app/ProcessObjects.h"
#include "platform/BitmapResources.h"
#include "platform/OpenGL.h"
#include "render/Texture.h"
#include "render/VectorMath.h"

namespace {

const int kGlowSize = 64;
const int kPlanetSize = 128;
const std::size_t kPlanetBytes = kPlanetSize * kPlanetSize * 4;  // 65,536
const double kEyeZ = 4.0;  // the camera's distance in front of the origin

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

    cloud_.AddRoot();
    ready_ = true;
    TheEventLog.Write(0, "The formless planet is initialized properly");
}

void FormlessPlanet::Draw() const
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    // The planet comes right after the clear and the backdrop, which writes no depth:
    // every fragment would pass the test, so it is not made.
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    // The colour from the current colour, the alpha from the white glow texels.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    // Additive blending makes the order of the spots irrelevant.
    const double magnifiedFrom = MagnifiedHalfSize();
    glBindTexture(GL_TEXTURE_2D, magnifiedGlowTexture_);
    DrawSpots(magnifiedFrom, true);
    glBindTexture(GL_TEXTURE_2D, glowTexture_);
    DrawSpots(magnifiedFrom, false);

    // Colour and alpha from the planet's picture.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, planetTexture_);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_QUADS);
    EmitTexturedSquare(PlanetCentre, 1.0);
    glEnd();

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
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
        for (std::size_t i = 1; i + 1 < outline.count; ++i)
            for (const std::size_t k : {std::size_t{0}, i, i + 1}) {
                EmitTexCoord(outline.corners[k]);
                EmitVertex(GlowSpotOutline::OnSquare(outline.corners[k], particle.position, particle.size));
            }
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
