#pragma once

#include "render/OffscreenTarget.h"

class FormlessPlanet;
class Horizon;

// What changes slowly, kept in one picture for the view: the backdrop, the planet's
// accumulated cloud and the planet. A frame copies it once instead of drawing the
// backdrop and adding the cloud over its box; only the pixels around the spots whose
// level changed are drawn again.
class DistantView {
public:
    DistantView(Horizon& horizon, FormlessPlanet& planet) : horizon_(horizon), planet_(planet) {}
    DistantView(const DistantView&) = delete;
    DistantView& operator=(const DistantView&) = delete;

    // After the planet's DrawOffscreen, before the frame's drawing: brings the kept
    // picture up to date. False when the frame has to draw the backdrop and the planet
    // itself (the planet draws its spots every frame, a copy is not allowed, or the
    // driver cannot keep the picture).
    bool Update();
    // The kept picture over every pixel of the view, with blending off. Leaves the
    // depth test and depth writes on, texturing off.
    void Draw();
    // The kept picture, for a copy made without a draw.
    const OffscreenTarget& Picture() const { return kept_; }

private:
    // The backdrop, then the cloud and the planet over it: in each box given (the
    // scissor test on), or over the view for none.
    void DrawPicture(const int (*boxes)[4], int boxCount);

    Horizon& horizon_;
    FormlessPlanet& planet_;
    OffscreenTarget kept_{OffscreenTarget::Texels::Colour8};
    bool failed_ = false;
};
