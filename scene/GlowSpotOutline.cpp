#include "scene/GlowSpotOutline.h"

#include <algorithm>
#include <cmath>

namespace {

// The hardware's rounding of colour times alpha may differ from exact rounding by a
// little: points whose alpha comes within 10 % of the threshold are kept too.
const double kAlphaMargin = 0.9;
const int kPolygonSides = 8;

// Sutherland-Hodgman against one edge of the unit square: keeps the side where
// inside(point) holds.
template <typename Inside, typename Cross>
GlowSpotOutline::Polygon ClipAgainst(const GlowSpotOutline::Polygon& input, Inside inside, Cross cross)
{
    GlowSpotOutline::Polygon output;
    for (std::size_t i = 0; i < input.count; ++i) {
        const Vector2& current = input.corners[i];
        const Vector2& previous = input.corners[(i + input.count - 1) % input.count];
        const bool currentIn = inside(current);
        const bool previousIn = inside(previous);
        if (currentIn != previousIn && output.count < GlowSpotOutline::kMaxCorners)
            output.corners[output.count++] = cross(previous, current);
        if (currentIn && output.count < GlowSpotOutline::kMaxCorners)
            output.corners[output.count++] = current;
    }
    return output;
}

Vector2 CrossX(const Vector2& a, const Vector2& b, double x)
{
    const double f = (x - a.x) / (b.x - a.x);
    return Vector2(x, a.y + (b.y - a.y) * f);
}

Vector2 CrossY(const Vector2& a, const Vector2& b, double y)
{
    const double f = (y - a.y) / (b.y - a.y);
    return Vector2(a.x + (b.x - a.x) * f, y);
}

GlowSpotOutline::Polygon ClipToUnitSquare(GlowSpotOutline::Polygon polygon)
{
    polygon = ClipAgainst(
        polygon, [](const Vector2& p) { return p.x >= 0.0; },
        [](const Vector2& a, const Vector2& b) { return CrossX(a, b, 0.0); });
    polygon = ClipAgainst(
        polygon, [](const Vector2& p) { return p.x <= 1.0; },
        [](const Vector2& a, const Vector2& b) { return CrossX(a, b, 1.0); });
    polygon = ClipAgainst(
        polygon, [](const Vector2& p) { return p.y >= 0.0; },
        [](const Vector2& a, const Vector2& b) { return CrossY(a, b, 0.0); });
    polygon = ClipAgainst(
        polygon, [](const Vector2& p) { return p.y <= 1.0; },
        [](const Vector2& a, const Vector2& b) { return CrossY(a, b, 1.0); });
    return polygon;
}

}  // namespace

GlowSpotOutline::GlowSpotOutline(const std::vector<std::uint8_t>& alpha, int size)
{
    square_.count = 4;
    square_.corners[0] = Vector2(0.0, 0.0);
    square_.corners[1] = Vector2(1.0, 0.0);
    square_.corners[2] = Vector2(1.0, 1.0);
    square_.corners[3] = Vector2(0.0, 1.0);
    if (size <= 0 || alpha.size() < static_cast<std::size_t>(size) * static_cast<std::size_t>(size)) {
        outlines_.fill(square_);
        return;
    }
    // The texture as linear magnification samples it (wrapping at the edges), on a grid
    // a quarter texel apart.
    const double texel = 1.0 / size;
    const int steps = 4 * size;
    const double step = 1.0 / steps;
    auto texelAt = [&](int column, int row) {
        column = ((column % size) + size) % size;
        row = ((row % size) + size) % size;
        return static_cast<double>(alpha[static_cast<std::size_t>(row * size + column)]);
    };
    std::vector<double> sampled(static_cast<std::size_t>((steps + 1) * (steps + 1)));
    for (int j = 0; j <= steps; ++j)
        for (int i = 0; i <= steps; ++i) {
            const double u = i * step * size - 0.5;
            const double v = j * step * size - 0.5;
            const int column = static_cast<int>(std::floor(u));
            const int row = static_cast<int>(std::floor(v));
            const double a = u - column;
            const double b = v - row;
            sampled[static_cast<std::size_t>(j * (steps + 1) + i)] =
                (1 - a) * (1 - b) * texelAt(column, row) + a * (1 - b) * texelAt(column + 1, row) +
                (1 - a) * b * texelAt(column, row + 1) + a * b * texelAt(column + 1, row + 1);
        }

    for (int level = 1; level <= kMaxLevel; ++level) {
        // Where a sample may still add a level: level * a / 255 rounds to at least 1.
        const double keep = kAlphaMargin * 127.5 / level;
        double sumX = 0.0;
        double sumY = 0.0;
        int kept = 0;
        bool touchesEdge = false;
        for (int j = 0; j <= steps; ++j)
            for (int i = 0; i <= steps; ++i)
                if (sampled[static_cast<std::size_t>(j * (steps + 1) + i)] >= keep) {
                    sumX += i * step;
                    sumY += j * step;
                    ++kept;
                    touchesEdge = touchesEdge || i == 0 || j == 0 || i == steps || j == steps;
                }
        if (kept == 0)
            continue;
        if (touchesEdge) {
            // Wrapped sampling mixes the opposite edge in: only the square holds it all.
            outlines_[static_cast<std::size_t>(level)] = square_;
            continue;
        }
        const Vector2 centre(sumX / kept, sumY / kept);
        double radius = 0.0;
        for (int j = 0; j <= steps; ++j)
            for (int i = 0; i <= steps; ++i)
                if (sampled[static_cast<std::size_t>(j * (steps + 1) + i)] >= keep)
                    radius = std::max(radius, std::hypot(i * step - centre.x, j * step - centre.y));
        // The region's edge lies within one grid cell of the last point kept; a quarter
        // texel more keeps rounding of the interpolated coordinates inside.
        radius += std::sqrt(2.0) * step + 0.25 * texel;
        const double circumradius = radius / std::cos(3.14159265358979 / kPolygonSides);
        Polygon polygon;
        for (int k = 0; k < kPolygonSides; ++k) {
            const double angle = 2.0 * 3.14159265358979 * k / kPolygonSides;
            polygon.corners[polygon.count++] =
                Vector2(centre.x + circumradius * std::cos(angle), centre.y + circumradius * std::sin(angle));
        }
        outlines_[static_cast<std::size_t>(level)] = ClipToUnitSquare(polygon);
    }
}

int GlowSpotOutline::GreyLevel(double grey)
{
    if (!(grey > 0.0))
        return 0;
    if (grey >= 1.0)
        return 255;
    return static_cast<int>(std::floor(grey * 255.0 + 0.5 + 0.01));
}

const GlowSpotOutline::Polygon& GlowSpotOutline::ForGrey(double grey) const { return ForLevel(GreyLevel(grey)); }

const GlowSpotOutline::Polygon& GlowSpotOutline::ForLevel(int level) const
{
    if (level < 0)
        level = 0;
    if (level > kMaxLevel)
        return square_;
    return outlines_[static_cast<std::size_t>(level)];
}

Vector3 GlowSpotOutline::OnSquare(const Vector2& texCoord, const Vector3& centre, double halfSize)
{
    return Vector3(centre.x - halfSize + 2.0 * halfSize * texCoord.x, centre.y - halfSize + 2.0 * halfSize * texCoord.y,
                   centre.z);
}

double GlowSpotOutline::MagnifiedHalfSize(double pixelsPerUnit, int textureSize)
{
    // A quarter more than one pixel per texel: the driver's estimate of the scale is
    // not exact.
    if (!(pixelsPerUnit > 0.0))
        return HUGE_VAL;
    return 1.25 * textureSize / (2.0 * pixelsPerUnit);
}
