#include "render/OffscreenTarget.h"

#include <algorithm>

#include "platform/OpenGL.h"
#include "render/FrameFences.h"
#include "render/Texture.h"
#include "render/VectorMath.h"

OffscreenTarget::~OffscreenTarget() { Release(); }

bool OffscreenTarget::IsSupported(Texels texels)
{
    if (GLEW_VERSION_3_0)
        return true;
    return GLEW_ARB_framebuffer_object &&
           (texels == Texels::Colour8 || (GLEW_ARB_texture_float && GLEW_ARB_texture_rg));
}

OffscreenTarget::Preparation OffscreenTarget::PrepareForView()
{
    GLint viewport[4] = {0, 0, 0, 0};
    GLdouble projection[16];
    GLdouble modelView[16];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    const bool sameMatrices = std::equal(projection, projection + 16, projection_) &&
                              std::equal(modelView, modelView + 16, modelView_);
    const bool sameViewport = std::equal(viewport, viewport + 4, viewport_);
    if (framebuffer_ != 0 && sameViewport && sameMatrices)
        return Preparation::Kept;
    std::copy(projection, projection + 16, projection_);
    std::copy(modelView, modelView + 16, modelView_);
    std::copy(viewport, viewport + 4, viewport_);
    // The buffer's pixels are the window's: it reaches as far as the viewport does.
    const int width = viewport[0] + viewport[2];
    const int height = viewport[1] + viewport[3];
    if (framebuffer_ != 0 && width == width_ && height == height_) {
        Clear();
        return Preparation::Made;
    }
    return Make(width, height) ? Preparation::Made : Preparation::Failed;
}

bool OffscreenTarget::Make(int width, int height)
{
    Release();
    if (width <= 0 || height <= 0 || !IsSupported(texels_))
        return false;
    // Errors left by earlier calls are not this buffer's (a bounded loop: a lost context
    // may keep reporting).
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    // Read one texel per pixel, never filtered.
    texture_ = CreateTexture(GL_CLAMP_TO_EDGE, GL_NEAREST, GL_NEAREST);
    if (texels_ == Texels::Float32)
        glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, width, height, 0, GL_RED, GL_FLOAT, nullptr);
    else
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!complete || glGetError() != GL_NO_ERROR) {
        Release();
        return false;
    }
    width_ = width;
    height_ = height;
    Clear();
    return true;
}

void OffscreenTarget::Clear()
{
    GLfloat clearColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    BeginDrawing();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    EndDrawing();
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
}

void OffscreenTarget::BeginDrawing()
{
    // The buffer's pixels are the view's: a scissor box in force must not keep any out.
    scissorWasOn_ = glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE;
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

void OffscreenTarget::EndDrawing()
{
    TheFrameFences.EndPass();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (scissorWasOn_)
        glEnable(GL_SCISSOR_TEST);
}

void OffscreenTarget::DrawToView() const
{
    const double left = static_cast<double>(viewport_[0]) / width_;
    const double bottom = static_cast<double>(viewport_[1]) / height_;
    const bool blendWasOn = glIsEnabled(GL_BLEND) == GL_TRUE;
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    // The viewport in normalised device coordinates; the buffer reaches from the
    // window's corner to the viewport's far edges.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glBegin(GL_QUADS);
    EmitTexCoord(Vector2(left, bottom));
    EmitVertex(Vector3(-1.0, -1.0, 0.0));
    EmitTexCoord(Vector2(1.0, bottom));
    EmitVertex(Vector3(1.0, -1.0, 0.0));
    EmitTexCoord(Vector2(1.0, 1.0));
    EmitVertex(Vector3(1.0, 1.0, 0.0));
    EmitTexCoord(Vector2(left, 1.0));
    EmitVertex(Vector3(-1.0, 1.0, 0.0));
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    if (blendWasOn)
        glEnable(GL_BLEND);
}

void OffscreenTarget::Release()
{
    if (framebuffer_ != 0)
        glDeleteFramebuffers(1, &framebuffer_);
    if (texture_ != 0)
        glDeleteTextures(1, &texture_);
    framebuffer_ = 0;
    texture_ = 0;
    width_ = 0;
    height_ = 0;
}
