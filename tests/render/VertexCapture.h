#pragma once

// Runs a linked program's vertex stage over points through transform feedback, to
// compare what the shaders compute with the processor's twin.
#include <GL/glew.h>

#include <functional>
#include <vector>

#include "render/VectorMath.h"

// Per point: the clip position (4 floats), then vGlobalCoordinates (3 floats). The
// program is linked again to capture them, which resets its uniforms, so they are set
// afterwards by setUniforms. Empty when the program does not link again.
inline std::vector<float> CaptureVertexStage(unsigned int program, const std::function<void()>& setUniforms,
                                             const std::vector<Vector3>& points)
{
    const char* const varyings[2] = {"gl_Position", "vGlobalCoordinates"};
    glTransformFeedbackVaryings(program, 2, varyings, GL_INTERLEAVED_ATTRIBS);
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE)
        return {};
    glUseProgram(program);
    setUniforms();

    std::vector<float> positions;
    for (const Vector3& p : points) {
        positions.push_back(static_cast<float>(p.x));
        positions.push_back(static_cast<float>(p.y));
        positions.push_back(static_cast<float>(p.z));
    }
    GLuint captured = 0;
    glGenBuffers(1, &captured);
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, captured);
    glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, static_cast<GLsizeiptr>(points.size() * 7 * sizeof(float)), nullptr,
                 GL_STATIC_READ);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, captured);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, positions.data());
    glEnable(GL_RASTERIZER_DISCARD);
    glBeginTransformFeedback(GL_POINTS);
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(points.size()));
    glEndTransformFeedback();
    glDisable(GL_RASTERIZER_DISCARD);
    glDisableClientState(GL_VERTEX_ARRAY);
    std::vector<float> result(points.size() * 7);
    glGetBufferSubData(GL_TRANSFORM_FEEDBACK_BUFFER, 0, static_cast<GLsizeiptr>(result.size() * sizeof(float)),
                       result.data());
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, 0);
    glDeleteBuffers(1, &captured);
    glUseProgram(0);
    return result;
}
