#include "platform/OverlayGLState.h"

#include "platform/OpenGL.h"

namespace platform {

OverlayGLState::OverlayGLState(int windowWidth, int windowHeight)
{
    GLint value = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &value);
    program_ = value;
    value = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    activeTexture_ = value;
    value = 0;
    glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &value);
    unpackBuffer_ = value;
    GLint textureUnits = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &textureUnits);

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glUseProgram(0);
    if (unpackBuffer_ != 0)
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    for (GLint unit = textureUnits - 1; unit >= 0; --unit) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        glDisable(GL_TEXTURE_1D);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_3D);
        glDisable(GL_TEXTURE_CUBE_MAP);
    }
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, windowWidth, 0.0, windowHeight, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_FOG);
    glDisable(GL_COLOR_LOGIC_OP);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[0] != 0 || viewport[1] != 0 || viewport[2] != windowWidth || viewport[3] != windowHeight)
        glViewport(0, 0, windowWidth, windowHeight);
}

OverlayGLState::~OverlayGLState()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
    if (unpackBuffer_ != 0)
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(unpackBuffer_));
    glActiveTexture(static_cast<GLenum>(activeTexture_));
    glUseProgram(static_cast<GLuint>(program_));
}

}  // namespace platform
