#include "scene/Horizon.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/ProcessObjects.h"
#include "platform/BitmapResources.h"
#include "platform/OpenGL.h"
#include "render/Texture.h"
#include "render/VectorMath.h"

namespace {

const int kBackdropSize = 512;
const std::size_t kBackdropBytes = kBackdropSize * kBackdropSize * 4;  // 1,048,576

}  // namespace

Horizon::Horizon() : Horizon(kBackdropBitmapId) {}

Horizon::Horizon(int bitmapId)
{
    TheEventLog.Write(0, "Start initialization for the background image");
    platform::BgrxBitmap bitmap;
    if (!platform::LoadBitmapResource(bitmapId, &bitmap))
        return;
    TheEventLog.Write(0, "Bitmap is loaded");
    // A smaller picture fills what it can; the rest stays black.
    std::vector<std::uint8_t> pixels(kBackdropBytes, 0);
    std::memcpy(pixels.data(), bitmap.pixels.data(), std::min(kBackdropBytes, bitmap.pixels.size()));

    // Eight bits a channel hold the picture's own bits exactly; wider texels only make
    // a software renderer filter in floating point, for the same picture.
    texture_ = CreateTexture(GL_CLAMP_TO_EDGE, GL_LINEAR, GL_LINEAR,
                             {GL_RGB8, kBackdropSize, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data()});
    TheEventLog.Write(0, "Background image is initialized properly");
}

void Horizon::Draw()
{
    if (!CopyDrawnPicture())
        DrawPicture();
}

bool Horizon::CopyDrawnPicture()
{
    // Sampling the view's pixels one for one costs far less than filtering the picture
    // into them on a software renderer.
    if (!copyAllowed_ || copyFailed_)
        return false;
    switch (drawn_.PrepareForView()) {
    case OffscreenTarget::Preparation::Failed:
        copyFailed_ = true;
        return false;
    case OffscreenTarget::Preparation::Made: {
        drawn_.BeginDrawing();
        DrawPicture();
        drawn_.EndDrawing();
        break;
    }
    case OffscreenTarget::Preparation::Kept:
        break;
    }
    drawn_.DrawToView();
    // As drawing the picture leaves them.
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    return true;
}

void Horizon::DrawPicture() const
{
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);

    // Slightly larger than the view at z = 0 on every side; the picture's top row at
    // the top. The lowest 1 % of its rows stays below the bottom edge.
    glBegin(GL_QUADS);
    EmitTexCoord(Vector2(0.0, 0.99));
    EmitVertex(Vector3(-1.0, -0.75, 0.0));
    EmitTexCoord(Vector2(1.0, 0.99));
    EmitVertex(Vector3(1.0, -0.75, 0.0));
    EmitTexCoord(Vector2(1.0, 0.0));
    EmitVertex(Vector3(1.0, 0.75, 0.0));
    EmitTexCoord(Vector2(0.0, 0.0));
    EmitVertex(Vector3(-1.0, 0.75, 0.0));
    glEnd();

    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
}
