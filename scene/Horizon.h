#pragma once

#include "render/OffscreenTarget.h"

// The scene's backdrop: one fixed picture drawn behind everything, first after the
// frame is cleared. It writes no depth, so it never hides what is drawn after it.
class Horizon {
public:
    static const int kBackdropBitmapId = 149;

    Horizon();
    // With another bitmap in place of the backdrop (for tests).
    explicit Horizon(int bitmapId);

    Horizon(const Horizon&) = delete;
    Horizon& operator=(const Horizon&) = delete;

    bool IsReady() const { return texture_ != 0; }
    // Where the context allows, the picture is drawn once into a buffer for the view and
    // drawn from there texel for pixel each frame (again when the view changes). Leaves the depth test
    // on, depth writes on, texturing off and the texture environment at GL_REPLACE.
    void Draw();
    // Only the kept copy, drawn over every pixel of the view with blending off, so
    // that no clear of the colours is needed before it; false when there is no copy,
    // and nothing is drawn. Leaves the state as Draw does.
    bool DrawKeptCopy() { return CopyDrawnPicture(); }
    // False draws the picture every frame, as where the context has no such buffer
    // (for comparisons).
    void AllowCopy(bool allowed) { copyAllowed_ = allowed; }
    // Whether the picture is drawn from a kept copy (as far as is known yet).
    bool KeepsCopy() const { return copyAllowed_ && !copyFailed_; }

private:
    void DrawPicture() const;
    bool CopyDrawnPicture();

    unsigned texture_ = 0;
    OffscreenTarget drawn_{OffscreenTarget::Texels::Colour8};
    bool copyAllowed_ = true;
    bool copyFailed_ = false;
};
