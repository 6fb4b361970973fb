#pragma once

#include "render/ViewCopy.h"

// An offscreen colour buffer the size of the view, for what is drawn once and kept
// between frames.
class OffscreenTarget {
public:
    enum class Texels {
        Colour8,  // 8-bit RGBA: the same pixels the window's buffer would get
        Float32,  // one 32-bit float channel: sums of whole levels stay exact however they
                  // are added and taken away, where an 8-bit buffer rounds and saturates
    };
    enum class Depth {
        None,
        Own,  // a depth buffer of its own, for solid objects drawn into it
    };
    enum class Preparation { Kept, Made, Failed };

    explicit OffscreenTarget(Texels texels, Depth depth = Depth::None) : texels_(texels), depth_(depth) {}
    ~OffscreenTarget();
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    // Whether the current context offers framebuffer objects (and float textures).
    static bool IsSupported(Texels texels);

    // For the current viewport and matrices. Kept: made for them already. Made: made,
    // or cleared to 0, for them (what it held was drawn for another view). Failed: the
    // driver cannot make it; nothing is left behind.
    Preparation PrepareForView();
    // Every texel to 0.
    void Clear();
    // Draws go to the buffer, unscissored, until EndDrawing, which returns them to the
    // target bound before and the scissor test to what it was.
    //
    // Where the driver can turn the window's y axis (clip control), the buffer holds the
    // view's rows top first, as a window does in memory, so that it reaches the window
    // by a plain copy (see CopyToView). Scissor boxes given while drawing into it are
    // then in its rows: see ToBufferRows.
    void BeginDrawing();
    // Draws go to the buffer as they would go to the window: a scissor box in force
    // still applies. With depth, to the buffer's own depth as well (Depth::Own). Ended
    // by EndDrawing; one may follow another.
    void BeginViewDrawing(bool withDepth);
    void EndDrawing();
    // A box in the window's pixels (left, bottom, width, height) as the same pixels of
    // the buffer, for the scissor test while drawing into it.
    void ToBufferRows(int box[4]) const;
    bool RowsFlipped() const { return rowsFlipped_; }
    // The buffer's pixels over the current target's, in the viewport, as one textured
    // square sampled texel for pixel. A draw, not a blit: a blit starts a new scene on
    // a software renderer, and each scene switch mid-frame costs a fence. Leaves the
    // depth test off and depth writes off, 2D texturing on with the buffer bound and
    // the texture environment at GL_REPLACE; blending and the matrices as they were.
    void DrawToView();
    // The buffer's pixels over the window's (the draw framebuffer bound), in the
    // viewport, by a blit: where the rows run as the window's, a copy of memory on a
    // software renderer. False, and nothing done, where they do not.
    bool CopyToView();

    // The source's texels into this buffer's, without a draw: a copy of memory on a
    // software renderer. False where the driver cannot copy images or the two differ
    // in size or kind; nothing is done then.
    bool CopyFrom(const OffscreenTarget& source);

    // Whether its own depth buffer holds 32-bit floats.
    bool HasFloatDepth() const { return floatDepth_; }
    unsigned Texture() const { return texture_; }
    unsigned Framebuffer() const { return framebuffer_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    bool Make(int width, int height);
    void FlipRows();
    void Release();

    Texels texels_;
    Depth depth_;
    int viewport_[4] = {0, 0, 0, 0};
    double projection_[16] = {};
    double modelView_[16] = {};
    unsigned framebuffer_ = 0;
    unsigned depthFramebuffer_ = 0;  // the same colours with the depth buffer
    unsigned texture_ = 0;
    unsigned depthBuffer_ = 0;
    bool floatDepth_ = false;
    bool rowsFlipped_ = false;
    int previousClipOrigin_ = 0;
    int windowScissorBox_[4] = {0, 0, 0, 0};
    bool scissorBoxFlipped_ = false;
    int width_ = 0;
    int height_ = 0;
    bool scissorWasOn_ = false;
    int previousFramebuffer_ = 0;
    ViewCopy copy_;
};
