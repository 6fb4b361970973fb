#include "scene/FormlessPlanet.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "app/ProcessObjects.h"
#include "platform/BitmapResources.h"
#include "platform/OpenGL.h"
#include "render/Texture.h"

namespace {

const int kGlowSize = 64;
const int kPlanetSize = 128;
const std::size_t kPlanetBytes = kPlanetSize * kPlanetSize * 4;  // 65,536

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

    std::vector<float> glow(kGlowSize * kGlowSize);
    for (int row = 0; row < kGlowSize; ++row)
        for (int column = 0; column < kGlowSize; ++column)
            glow[row * kGlowSize + column] = static_cast<float>(GlowTexel(row, column));
    glowTexture_ = CreateTexture(GL_REPEAT, GL_LINEAR, GL_NEAREST,
                                 {GL_ALPHA8, kGlowSize, GL_ALPHA, GL_FLOAT, glow.data()});

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
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, glowTexture_);
    // With an alpha-only texture the colour comes from the current colour.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);

    glBegin(GL_QUADS);
    for (const GlowParticle& particle : cloud_.Particles()) {
        const double grey = GlowCloud::Brightness(particle) * 0.02;
        glColor3d(grey, grey, grey);
        EmitTexturedSquare(particle.position, particle.size);
    }
    glEnd();

    glBindTexture(GL_TEXTURE_2D, planetTexture_);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_QUADS);
    EmitTexturedSquare(PlanetCentre, 1.0);
    glEnd();

    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}
