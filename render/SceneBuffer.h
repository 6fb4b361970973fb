#pragma once

#include "render/OffscreenTarget.h"

// The frame drawn into a buffer of its own and copied to the window in one pass.
//
// The window then needs no depth buffer, and without one a software renderer copies
// whole blocks where it would shade every pixel: the kept backdrop into this buffer,
// and this buffer into the window. The solid objects get the buffer's own depth.
// Where the driver cannot make the buffer, the frame is drawn straight into the window.
class SceneBuffer {
public:
    SceneBuffer() = default;
    SceneBuffer(const SceneBuffer&) = delete;
    SceneBuffer& operator=(const SceneBuffer&) = delete;

    // Starts the frame with what needs no depth (the backdrop, the planet). False when
    // the frame goes straight to the window instead; then the other calls do nothing.
    bool BeginFlatDrawing();
    // A picture the size of the view as the frame's first pixels, copied without a
    // draw. False where that cannot be done (the frame goes to the window, or the
    // driver cannot copy images); then it is to be drawn.
    bool CopyPicture(const OffscreenTarget& picture);
    // The same pixels with the buffer's depth, as good as cleared: the solid objects.
    void BeginSolidDrawing();
    // Back to the window, and the frame over it. Leaves the depth test and depth writes
    // on, texturing and blending off, the depth range whole.
    void EndAndShow();

    // A float depth buffer is cleared once in this many frames.
    static constexpr int kFramesPerDepthClear = 64;

private:
    OffscreenTarget target_{OffscreenTarget::Texels::Colour8, OffscreenTarget::Depth::Own};
    bool failed_ = false;
    bool drawing_ = false;
    // Frames until the next depth clear, and the top of the next frame's depth range.
    int framesToDepthClear_ = 0;
    double depthRangeTop_ = 1.0;
};
