#include "render/SceneBuffer.h"

#include "platform/OpenGL.h"

bool SceneBuffer::BeginFlatDrawing()
{
    drawing_ = false;
    if (failed_)
        return false;
    if (target_.PrepareForView() == OffscreenTarget::Preparation::Failed) {
        failed_ = true;
        return false;
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
    glClear(GL_DEPTH_BUFFER_BIT);
}

void SceneBuffer::EndAndShow()
{
    if (!drawing_)
        return;
    drawing_ = false;
    target_.EndDrawing();
    target_.DrawToView();
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
}
