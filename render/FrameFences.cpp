#include "render/FrameFences.h"

#include "platform/OpenGL.h"

FrameFences TheFrameFences;

void FrameFences::EndPass()
{
    if (!(GLEW_VERSION_3_2 || GLEW_ARB_sync) || heldCount_[current_] == kPassesPerFrame) {
        glFlush();
        return;
    }
    // Making it submits the pass and references the pass's fence.
    GLsync sync = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    if (sync == nullptr)
        return;
    held_[current_][heldCount_[current_]++] = sync;
}

void FrameFences::FrameShown()
{
    const int previous = 1 - current_;
    ReleaseGeneration(previous);
    current_ = previous;
}

void FrameFences::Release()
{
    ReleaseGeneration(0);
    ReleaseGeneration(1);
    current_ = 0;
}

void FrameFences::ReleaseGeneration(int generation)
{
    for (int i = 0; i < heldCount_[generation]; ++i)
        glDeleteSync(static_cast<GLsync>(held_[generation][i]));
    heldCount_[generation] = 0;
}
