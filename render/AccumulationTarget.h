#pragma once

// An offscreen colour buffer of one 32-bit float channel, the size of the view: sums of
// whole levels kept there stay exact however they are added and taken away, where an
// 8-bit buffer would round and saturate.
class AccumulationTarget {
public:
    enum class Preparation { Kept, Made, Failed };

    AccumulationTarget() = default;
    ~AccumulationTarget();
    AccumulationTarget(const AccumulationTarget&) = delete;
    AccumulationTarget& operator=(const AccumulationTarget&) = delete;

    // Whether the current context offers framebuffer objects and float textures.
    static bool IsSupported();

    // Kept: already width x height. Made: (re)made at that size and cleared to 0.
    // Failed: the driver cannot make it; nothing is left behind.
    Preparation Prepare(int width, int height);
    // Draws go to the buffer until EndDrawing, which returns them to the window.
    void BeginDrawing() const;
    void EndDrawing() const;

    unsigned Texture() const { return texture_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    void Release();

    unsigned framebuffer_ = 0;
    unsigned texture_ = 0;
    int width_ = 0;
    int height_ = 0;
};
