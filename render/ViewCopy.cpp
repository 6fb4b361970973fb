#include "render/ViewCopy.h"

#include "platform/OpenGL.h"
#include "render/ShaderProgram.h"
#include "render/VectorMath.h"

namespace {

const char* const kCopyShader = R"(#version 110
uniform sampler2D picture;
void main()
{
    gl_FragColor = texture2D(picture, gl_TexCoord[0].st);
}
)";

}  // namespace

ViewCopy::~ViewCopy() { Release(); }

void ViewCopy::Draw(unsigned texture, int textureWidth, int textureHeight, const int viewport[4], bool rowsFlipped)
{
    // Built on first use, in the context that draws; without it the fixed pipeline draws
    // the same texels, only slower on a software renderer.
    if (program_ == 0 && !programFailed_) {
        programFailed_ = CreateShaderProgramFromTexts(nullptr, kCopyShader, &program_) != 0;
        if (!programFailed_) {
            glUseProgram(program_);
            glUniform1i(glGetUniformLocation(program_, "picture"), 0);
            glUseProgram(0);
        }
    }
    const double left = static_cast<double>(viewport[0]) / textureWidth;
    double bottom = static_cast<double>(viewport[1]) / textureHeight;
    const double right = static_cast<double>(viewport[0] + viewport[2]) / textureWidth;
    double top = static_cast<double>(viewport[1] + viewport[3]) / textureHeight;
    // The view's bottom row is the texture's last. Into a window that turns it upright;
    // into a buffer of turned rows the flipped drawing turns it once more, so texels
    // keep their rows.
    if (rowsFlipped) {
        bottom = 1.0 - bottom;
        top = 1.0 - top;
    }
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    if (program_ != 0)
        glUseProgram(program_);
    // The viewport in normalised device coordinates.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glBegin(GL_QUADS);
    EmitTexCoord(Vector2(left, bottom));
    EmitVertex(Vector3(-1.0, -1.0, 0.0));
    EmitTexCoord(Vector2(right, bottom));
    EmitVertex(Vector3(1.0, -1.0, 0.0));
    EmitTexCoord(Vector2(right, top));
    EmitVertex(Vector3(1.0, 1.0, 0.0));
    EmitTexCoord(Vector2(left, top));
    EmitVertex(Vector3(-1.0, 1.0, 0.0));
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    if (program_ != 0)
        glUseProgram(0);
}

void ViewCopy::Release()
{
    if (program_ != 0)
        glDeleteProgram(program_);
    program_ = 0;
    programFailed_ = false;
}
