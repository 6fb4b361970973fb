#pragma once

// Keeps the driver's record of each pass of a frame referenced until the frame after
// it has been shown.
//
// Mesa's software rasteriser frees a pass's fence once the pass is no longer current
// and reads as finished; it reads the count without the fence's lock, so the free can
// come while the last worker thread still holds that lock, and its unlock then writes
// into freed memory. A sync object made right after a pass holds the fence. The frame
// after the next swap has made every worker pass all of this frame's fences (they are
// worked through in order), so deleting the sync objects then frees each fence long
// after its last unlock. Elsewhere a sync object costs next to nothing.
class FrameFences {
public:
    static constexpr int kPassesPerFrame = 8;

    FrameFences() = default;
    FrameFences(const FrameFences&) = delete;
    FrameFences& operator=(const FrameFences&) = delete;

    // Where a pass ends: drawing into an offscreen buffer, before a buffer drawn this
    // frame is sampled, and before the swap. Submits the pass. Without sync objects, or
    // past kPassesPerFrame in one frame, it only submits.
    void EndPass();
    // After the swap: the previous frame's passes are let go.
    void FrameShown();
    // Before the context goes: every pass is let go.
    void Release();

    int HeldCount() const { return heldCount_[0] + heldCount_[1]; }

private:
    void ReleaseGeneration(int generation);

    void* held_[2][kPassesPerFrame] = {};
    int heldCount_[2] = {0, 0};
    int current_ = 0;
};

extern FrameFences TheFrameFences;
