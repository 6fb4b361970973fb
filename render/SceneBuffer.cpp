#include "render/SceneBuffer.h"

#include "platform/OpenGL.h"

bool SceneBuffer::BeginFlatDrawing()
{
    drawing_ = false;
    if (failed_)
        return false;
    switch (target_.PrepareForView()) {
    case OffscreenTarget::Preparation::Failed:
        failed_ = true;
        return false;
    case OffscreenTarget::Preparation::Made:
        framesToDepthClear_ = 0;
        break;
    case OffscreenTarget::Preparation::Kept:
        break;
    }
    target_.BeginViewDrawing(false);
    drawing_ = true;
    return true;
}

bool SceneBuffer::CopyPicture(const OffscreenTarget& picture)
{
    if (!drawing_ || !target_.CopyFrom(picture))
        return false;
    // As drawing the picture leaves them.
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    return true;
}

void SceneBuffer::BeginSolidDrawing()
{
    if (!drawing_)
        return;
    target_.EndDrawing();
    target_.BeginViewDrawing(true);
    if (!target_.HasFloatDepth()) {
        glClear(GL_DEPTH_BUFFER_BIT);
        return;
    }
    // Clearing the depth costs a pass over every pixel. Instead each frame's depths lie
    // in a range below every earlier frame's, [t/2, t] with t halved each frame, so what
    // earlier frames left passes for cleared. Halving is exact in floats: each frame's
    // depths are the first frame's scaled, and compare as they do.
    if (framesToDepthClear_ == 0) {
        // Every pixel, whatever box the frame is drawn in: a later frame's may be larger.
        const bool scissored = glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE;
        glDisable(GL_SCISSOR_TEST);
        glClear(GL_DEPTH_BUFFER_BIT);
        if (scissored)
            glEnable(GL_SCISSOR_TEST);
        depthRangeTop_ = 1.0;
        framesToDepthClear_ = kFramesPerDepthClear;
    }
    glDepthRange(depthRangeTop_ * 0.5, depthRangeTop_);
    depthRangeTop_ *= 0.5;
    --framesToDepthClear_;
}

void SceneBuffer::EndAndShow()
{
    if (!drawing_)
        return;
    drawing_ = false;
    target_.EndDrawing();
    glDepthRange(0.0, 1.0);
    if (!target_.CopyToView())
        target_.DrawToView();
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
}
