#include "scene/DistantView.h"

#include <algorithm>

#include "platform/OpenGL.h"
#include "scene/FormlessPlanet.h"
#include "scene/Horizon.h"

bool DistantView::Update()
{
    if (failed_ || !planet_.AccumulatesCloud() || !horizon_.KeepsCopy())
        return false;
    bool whole = false;
    int boxes[FormlessPlanet::kMaxChangedBoxes][4];
    int boxCount = 0;
    switch (kept_.PrepareForView()) {
    case OffscreenTarget::Preparation::Failed:
        failed_ = true;
        return false;
    case OffscreenTarget::Preparation::Made:
        whole = true;
        break;
    case OffscreenTarget::Preparation::Kept:
        boxCount = planet_.CloudChanges(boxes, &whole);
        if (!whole && boxCount == 0)
            return true;
        for (int i = 0; i < boxCount; ++i)
            kept_.ToBufferRows(boxes[i]);
        break;
    }
    GLint scissorBox[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_SCISSOR_BOX, scissorBox);
    kept_.BeginDrawing();
    if (whole) {
        DrawPicture(nullptr, 0);
    } else {
        glEnable(GL_SCISSOR_TEST);
        DrawPicture(boxes, boxCount);
        glDisable(GL_SCISSOR_TEST);
    }
    glScissor(scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
    kept_.EndDrawing();
    return horizon_.KeepsCopy();
}

void DistantView::DrawPicture(const int (*boxes)[4], int boxCount)
{
    // Each pass in every box before the next: the boxes do not overlap, and the
    // buffers sampled are bound once. The backdrop is drawn into each box, not copied:
    // on a software renderer an image copy first waits for every pass in flight, and
    // a frame with many boxes then spends more waiting than a draw costs.
    for (int i = 0; i < std::max(1, boxCount); ++i) {
        if (boxCount > 0)
            glScissor(boxes[i][0], boxes[i][1], boxes[i][2], boxes[i][3]);
        if (!horizon_.DrawKeptCopy()) {
            glClear(GL_COLOR_BUFFER_BIT);
            horizon_.Draw();
        }
    }
    planet_.DrawCloudAndPlanet(boxes, boxCount);
}

void DistantView::Draw()
{
    kept_.DrawToView();
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
}
