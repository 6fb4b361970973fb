#include "render/OffscreenTarget.h"

#include <algorithm>

#include "platform/OpenGL.h"
#include "render/FrameFences.h"
#include "render/SceneView.h"
#include "render/Texture.h"

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
    ViewState view;
    ReadViewState(&view);
    const double* projection = view.projection;
    const double* modelView = view.modelView;
    const int* viewport = view.viewport;
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
    GLint boundFramebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &boundFramebuffer);
    // Read one texel per pixel, never filtered.
    texture_ = CreateTexture(GL_CLAMP_TO_EDGE, GL_NEAREST, GL_NEAREST);
    if (texels_ == Texels::Float32)
        glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, width, height, 0, GL_RED, GL_FLOAT, nullptr);
    else  // unsized: the driver keeps the window's own byte order, so copies stay copies
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete && depth_ == Depth::Own) {
        glGenRenderbuffers(1, &depthBuffer_);
        glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
        floatDepth_ = GLEW_VERSION_3_0 || GLEW_ARB_depth_buffer_float;
        glRenderbufferStorage(GL_RENDERBUFFER, floatDepth_ ? GL_DEPTH_COMPONENT32F : GL_DEPTH_COMPONENT24, width,
                              height);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glGenFramebuffers(1, &depthFramebuffer_);
        glBindFramebuffer(GL_FRAMEBUFFER, depthFramebuffer_);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
        complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(boundFramebuffer));
    if (!complete || glGetError() != GL_NO_ERROR) {
        Release();
        return false;
    }
    width_ = width;
    height_ = height;
    rowsFlipped_ = GLEW_VERSION_4_5 || GLEW_ARB_clip_control;
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
    scissorBoxFlipped_ = false;
    glDisable(GL_SCISSOR_TEST);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previousFramebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    FlipRows();
}

void OffscreenTarget::BeginViewDrawing(bool withDepth)
{
    scissorWasOn_ = false;
    scissorBoxFlipped_ = false;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previousFramebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, withDepth && depthFramebuffer_ != 0 ? depthFramebuffer_ : framebuffer_);
    FlipRows();
    if (rowsFlipped_ && glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE) {
        glGetIntegerv(GL_SCISSOR_BOX, windowScissorBox_);
        int box[4] = {windowScissorBox_[0], windowScissorBox_[1], windowScissorBox_[2], windowScissorBox_[3]};
        ToBufferRows(box);
        glScissor(box[0], box[1], box[2], box[3]);
        scissorBoxFlipped_ = true;
    }
}

void OffscreenTarget::FlipRows()
{
    if (!rowsFlipped_)
        return;
    glGetIntegerv(GL_CLIP_ORIGIN, &previousClipOrigin_);
    glClipControl(GL_UPPER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
}

void OffscreenTarget::EndDrawing()
{
    TheFrameFences.EndPass();
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer_));
    previousFramebuffer_ = 0;
    if (rowsFlipped_)
        glClipControl(static_cast<GLenum>(previousClipOrigin_), GL_NEGATIVE_ONE_TO_ONE);
    if (scissorBoxFlipped_)
        glScissor(windowScissorBox_[0], windowScissorBox_[1], windowScissorBox_[2], windowScissorBox_[3]);
    scissorBoxFlipped_ = false;
    if (scissorWasOn_)
        glEnable(GL_SCISSOR_TEST);
}

void OffscreenTarget::ToBufferRows(int box[4]) const
{
    if (rowsFlipped_)
        box[1] = height_ - box[1] - box[3];
}

void OffscreenTarget::DrawToView()
{
    const bool blendWasOn = glIsEnabled(GL_BLEND) == GL_TRUE;
    copy_.Draw(texture_, width_, height_, viewport_, rowsFlipped_);
    if (blendWasOn)
        glEnable(GL_BLEND);
}

bool OffscreenTarget::CopyToView()
{
    if (!rowsFlipped_)
        return false;
    // Rows top first in the buffer and in the window: the blit turns neither, and a
    // software renderer copies memory. Not an offscreen target's: those hold their
    // rows the same way, where a blit would turn them.
    GLint readFramebuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    const int* v = viewport_;
    glBlitFramebuffer(v[0], height_ - v[1] - v[3], v[0] + v[2], height_ - v[1], v[0], v[1] + v[3], v[0] + v[2], v[1],
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    return true;
}

bool OffscreenTarget::CopyFrom(const OffscreenTarget& source)
{
    if (!(GLEW_VERSION_4_3 || GLEW_ARB_copy_image) || texture_ == 0 || source.texture_ == 0 ||
        source.texels_ != texels_ || source.width_ != width_ || source.height_ != height_)
        return false;
    glCopyImageSubData(source.texture_, GL_TEXTURE_2D, 0, 0, 0, 0, texture_, GL_TEXTURE_2D, 0, 0, 0, 0, width_,
                       height_, 1);
    return true;
}

void OffscreenTarget::Release()
{
    copy_.Release();
    if (framebuffer_ != 0)
        glDeleteFramebuffers(1, &framebuffer_);
    if (depthFramebuffer_ != 0)
        glDeleteFramebuffers(1, &depthFramebuffer_);
    if (texture_ != 0)
        glDeleteTextures(1, &texture_);
    if (depthBuffer_ != 0)
        glDeleteRenderbuffers(1, &depthBuffer_);
    framebuffer_ = 0;
    depthFramebuffer_ = 0;
    texture_ = 0;
    depthBuffer_ = 0;
    floatDepth_ = false;
    rowsFlipped_ = false;
    width_ = 0;
    height_ = 0;
}
