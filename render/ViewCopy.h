#pragma once

// Draws a texture that holds the window's pixels over the viewport, texel for pixel.
//
// The program is a plain texture read: a software renderer recognises such a draw as a
// copy and moves whole blocks of memory when the target has no depth buffer and the
// formats agree, where it would otherwise shade every pixel.
class ViewCopy {
public:
    ViewCopy() = default;
    ~ViewCopy();
    ViewCopy(const ViewCopy&) = delete;
    ViewCopy& operator=(const ViewCopy&) = delete;

    // texture is textureWidth x textureHeight and reaches from the window's corner;
    // viewport is the part drawn. rowsFlipped: the texture holds the rows top first (see
    // OffscreenTarget), as does the target when it is such a buffer. Leaves blending,
    // the depth test and depth writes off, 2D texturing on with the texture bound and
    // the texture environment at GL_REPLACE; the matrices and the program as they were
    // (none).
    void Draw(unsigned texture, int textureWidth, int textureHeight, const int viewport[4], bool rowsFlipped);
    // Before its context goes.
    void Release();

private:
    unsigned program_ = 0;
    bool programFailed_ = false;
};
