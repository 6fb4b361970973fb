#pragma once

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
    // Leaves the depth test on, depth writes on, texturing off and the texture
    // environment at GL_REPLACE.
    void Draw() const;

private:
    unsigned texture_ = 0;
};
