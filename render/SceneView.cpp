#include "render/SceneView.h"

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
