#include "render/AccumulationTarget.h"

#include "platform/OpenGL.h"
#include "render/Texture.h"

AccumulationTarget::~AccumulationTarget() { Release(); }

bool AccumulationTarget::IsSupported()
{
    return GLEW_VERSION_3_0 ||
           (GLEW_ARB_framebuffer_object && GLEW_ARB_texture_float && GLEW_ARB_texture_rg);
}

AccumulationTarget::Preparation AccumulationTarget::Prepare(int width, int height)
{
    if (framebuffer_ != 0 && width == width_ && height == height_)
        return Preparation::Kept;
    Release();
    if (width <= 0 || height <= 0 || !IsSupported())
        return Preparation::Failed;

    // Errors left by earlier calls are not this buffer's (a bounded loop: a lost context
    // may keep reporting).
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    // Read one texel per pixel, never filtered.
    texture_ = CreateTexture(GL_CLAMP_TO_EDGE, GL_NEAREST, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, width, height, 0, GL_RED, GL_FLOAT, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) {
        GLfloat clearColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!complete || glGetError() != GL_NO_ERROR) {
        Release();
        return Preparation::Failed;
    }
    width_ = width;
    height_ = height;
    return Preparation::Made;
}

void AccumulationTarget::BeginDrawing() const { glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_); }

void AccumulationTarget::EndDrawing() const { glBindFramebuffer(GL_FRAMEBUFFER, 0); }

void AccumulationTarget::Release()
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
