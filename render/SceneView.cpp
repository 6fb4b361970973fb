#include "render/SceneView.h"

#include <algorithm>
#include <cmath>

#include "platform/OpenGL.h"

void SetSceneView()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(21.0, 1.3333333, 0.01, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 4.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_AUTO_NORMAL);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
}

void ReadViewState(ViewState* view)
{
    glGetDoublev(GL_MODELVIEW_MATRIX, view->modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, view->projection);
    glGetIntegerv(GL_VIEWPORT, view->viewport);
}

void ProjectedPixelBox(const ViewState& view, double left, double bottom, double right, double top, double z,
                       int box[4])
{
    const int* viewport = view.viewport;
    const double xs[2] = {left, right};
    const double ys[2] = {bottom, top};
    double lowX = 0.0, lowY = 0.0, highX = 0.0, highY = 0.0;
    for (int i = 0; i < 4; ++i) {
        GLdouble x = 0.0, y = 0.0, depth = 0.0;
        gluProject(xs[i & 1], ys[i >> 1], z, view.modelView, view.projection, viewport, &x, &y, &depth);
        lowX = i == 0 ? x : std::min(lowX, x);
        lowY = i == 0 ? y : std::min(lowY, y);
        highX = i == 0 ? x : std::max(highX, x);
        highY = i == 0 ? y : std::max(highY, y);
    }
    const double viewRight = viewport[0] + viewport[2];
    const double viewTop = viewport[1] + viewport[3];
    const int x0 = static_cast<int>(std::max<double>(viewport[0], std::floor(lowX) - 1.0));
    const int y0 = static_cast<int>(std::max<double>(viewport[1], std::floor(lowY) - 1.0));
    const int x1 = static_cast<int>(std::min(viewRight, std::ceil(highX) + 1.0));
    const int y1 = static_cast<int>(std::min(viewTop, std::ceil(highY) + 1.0));
    box[0] = x0;
    box[1] = y0;
    box[2] = std::max(0, x1 - x0);
    box[3] = std::max(0, y1 - y0);
}
