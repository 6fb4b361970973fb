#pragma once

#include <cstdint>
#include <memory>

#include "render/OffscreenTarget.h"
#include "scene/GlowCloud.h"
#include "scene/GlowSpotOutline.h"

// A distant planet: a round picture with a soft edge in front of a growing cloud of
// faint glowing spots. The cloud's logic is GlowCloud's; this class holds the two
// textures and draws.
class FormlessPlanet {
public:
    static const int kPlanetBitmapId = 130;

    FormlessPlanet();
    // With another bitmap in place of the planet's (for tests).
    explicit FormlessPlanet(int planetBitmapId);

    ~FormlessPlanet();
    FormlessPlanet(const FormlessPlanet&) = delete;
    FormlessPlanet& operator=(const FormlessPlanet&) = delete;

    bool IsReady() const { return ready_; }
    void Update(std::int32_t elapsedMs);
    // The work that draws outside the window: after Update and before the frame's own
    // drawing starts (before the clear), so that the window's drawing is never split by
    // a switch of buffers. Only a frame in which a spot's level changed switches at
    // all. Leaves the OpenGL state as it found it, with no program in use.
    void DrawOffscreen();
    // The cloud, additively, then the planet over it. The cloud's spots are drawn only
    // where they can change a pixel (see GlowSpotOutline): the picture is the one that
    // whole squares give. Where the context allows, each spot's rounded contribution is
    // kept in an accumulation buffer that only the spots whose grey level changed since
    // the last frame update (in DrawOffscreen), and the buffer is added to the view in
    // one pass. Leaves
    // blending off with the factors (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA), depth writes
    // on, texturing off, no program and the texture environment at GL_REPLACE.
    void Draw();

    const GlowCloud& Cloud() const { return cloud_; }
    // Whether this frame's cloud comes from the accumulation buffer (known after
    // DrawOffscreen).
    bool AccumulatesCloud() const { return accumulating_ && accumulationAllowed_; }
    // Where this frame's DrawOffscreen changed the accumulated cloud, as boxes of window
    // pixels (x, y, width, height) around the squares of the spots whose level changed,
    // merged until no two overlap: their count, at most kMaxChangedBoxes. Whole when
    // the buffer was drawn again from nothing (the count is then 0).
    static constexpr int kMaxChangedBoxes = 32;
    int CloudChanges(int boxes[][4], bool* whole) const;
    // Draw's cloud and planet alone, each pass repeated in every box given (scissored
    // to it; the caller turns the scissor test on), or once over the view for none.
    void DrawCloudAndPlanet(const int (*boxes)[4], int boxCount);
    // False draws every spot every frame, as where the context has no accumulation
    // buffer (for comparisons).
    void AllowAccumulation(bool allowed) { accumulationAllowed_ = allowed; }

    // The glow spot's 64 x 64 texels: cos(r * pi) + 1 inside the unit circle, else 0;
    // stored as 8-bit alpha, clamped to 1.
    static double GlowTexel(int row, int column);
    // The planet's round alpha mask over 128 x 128 pixels: opaque to 0.9 of the radius,
    // fading linearly to 0 at the rim.
    static std::uint8_t PlanetMaskAlpha(int row, int column);

private:
    // One batch of spots: those whose half side is at least magnifiedFrom, or the others.
    void DrawSpots(double magnifiedFrom, bool magnified) const;
    // Whether the accumulation buffer serves this frame: made or kept for the view.
    bool PrepareAccumulation();
    // Into the bound buffer: each spot of the batch whose level changed, as the
    // difference between its new and its old contribution.
    void AccumulateSpotChanges(double magnifiedFrom, bool magnified);
    // The buffer added to the view over the squares of the spots it holds.
    void AddAccumulatedSpots(const int (*boxes)[4], int boxCount);
    void BuildAccumulationPrograms();
    // The half side from which a spot's texture is magnified over its whole square.
    double MagnifiedHalfSize() const;

    bool ready_ = false;
    unsigned glowTexture_ = 0;
    unsigned magnifiedGlowTexture_ = 0;
    unsigned planetTexture_ = 0;
    GlowCloud cloud_;
    std::unique_ptr<GlowSpotOutline> outline_;

    OffscreenTarget accumulation_{OffscreenTarget::Texels::Float32};
    unsigned spotChangeProgram_ = 0;
    unsigned addProgram_ = 0;
    int pixelScaleLocation_ = -1;
    int pixelOffsetLocation_ = -1;
    int accumulatedLevels_ = 0;  // the sum of the spots' drawn levels
    bool rebuildAccumulation_ = true;
    bool accumulating_ = false;  // this frame's cloud comes from the buffer
    bool offscreenDrawn_ = false;  // DrawOffscreen ran since the last Draw
    bool levelChanged_ = false;    // a spot's grey level differs from the one drawn
    // This frame's changes to the buffer: the box of the changed spots' squares in the
    // planet's plane, or the whole buffer.
    bool changedWhole_ = false;
    int changedCount_ = 0;  // squares changed; past kMaxChangedBoxes only their union is kept
    double changedSquares_[kMaxChangedBoxes][4] = {};  // left, bottom, right, top
    double changedUnion_[4] = {0.0, 0.0, 0.0, 0.0};
    bool accumulationAllowed_ = true;
};
