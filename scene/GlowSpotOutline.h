#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/VectorMath.h"

// Where on its square a glow spot can still change a pixel. A spot adds its grey times
// the texture's alpha to an 8-bit pixel, rounded to a whole level, so a spot drawn with
// grey level g adds nothing where the alpha is below about half a level's worth (127.5 / g
// of 255), and nothing at all when g is 0. For each grey level this keeps a convex
// polygon, in texture coordinates of the square, that holds every point whose bilinear
// sample can reach that alpha; drawing that polygon instead of the square leaves the
// picture as it was and shades far fewer fragments.
class GlowSpotOutline {
public:
    // Grey levels up to this one get an outline of their own; brighter spots keep the
    // whole square.
    static constexpr int kMaxLevel = 16;
    static constexpr std::size_t kMaxCorners = 24;

    struct Polygon {
        std::array<Vector2, kMaxCorners> corners;  // counter-clockwise, texture coordinates
        std::size_t count = 0;                     // 0: the spot adds nothing
    };

    // The texture's alpha as 8-bit values, size x size, row r (the t direction) after
    // row, sampled with linear magnification and wrapped at the edges.
    GlowSpotOutline(const std::vector<std::uint8_t>& alpha, int size);

    // The highest 8-bit level the colour grey (0..1) may become; rounding to the nearest
    // level is assumed, with a little room for a driver that rounds otherwise.
    static int GreyLevel(double grey);

    // The outline for a spot drawn with that grey.
    const Polygon& ForGrey(double grey) const;
    const Polygon& ForLevel(int level) const;

    // Texture coordinates to the world point on a spot's square of that centre and half
    // side, as the square maps them: (0, 0) at the lower left corner, (1, 1) at the upper
    // right.
    static Vector3 OnSquare(const Vector2& texCoord, const Vector3& centre, double halfSize);

    // The smallest half side, in world units, of a square that shows a texture of that
    // many texels larger than the texture everywhere (so with room to spare), given the
    // pixels per world unit in its plane.
    static double MagnifiedHalfSize(double pixelsPerUnit, int textureSize);

private:
    std::array<Polygon, kMaxLevel + 1> outlines_;
    Polygon square_;
};
