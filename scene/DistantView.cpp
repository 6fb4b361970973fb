#include "scene/DistantView.h"

#include "platform/OpenGL.h"
#include "scene/FormlessPlanet.h"
#include "scene/Horizon.h"

bool DistantView::Update()
{
    if (failed_ || !planet_.AccumulatesCloud() || !horizon_.KeepsCopy())
        return false;
    bool whole = false;
    int box[4] = {0, 0, 0, 0};
    switch (kept_.PrepareForView()) {
    case OffscreenTarget::Preparation::Failed:
        failed_ = true;
        return false;
    case OffscreenTarget::Preparation::Made:
        whole = true;
        break;
    case OffscreenTarget::Preparation::Kept:
        if (!planet_.CloudChange(box, &whole))
            return true;
        break;
    }
    GLint scissorBox[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_SCISSOR_BOX, scissorBox);
    kept_.BeginDrawing();
    if (!whole) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(box[0], box[1], box[2], box[3]);
    }
    DrawPicture();
    glDisable(GL_SCISSOR_TEST);
    glScissor(scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
    kept_.EndDrawing();
    return horizon_.KeepsCopy();
}

void DistantView::DrawPicture()
{
    if (!horizon_.DrawKeptCopy()) {
        glClear(GL_COLOR_BUFFER_BIT);
        horizon_.Draw();
    }
    planet_.Draw();
}

void DistantView::Draw()
{
    kept_.DrawToView();
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
}
