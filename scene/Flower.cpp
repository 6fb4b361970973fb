#include "scene/Flower.h"

#include <cmath>
#include <limits>

Flower::Flower(const Vector3& base, const Vector3& bendVector, double length, double fruitRadius)
    : base_(base), bendVector_(bendVector), ribbon_(kNodeCount), length_(length), fruitRadius_(fruitRadius)
{
}

double Flower::Update(std::int32_t elapsedMs)
{
    double sway = 0.0;
    if (swayAmplitude_ > 0.0) {
        const std::int32_t t = swayClock_;
        sway = swayAmplitude_ * std::sin(t / fruitRadius_ * 0.001);
        // The longer the sway has run, the faster it dies per update.
        swayAmplitude_ = swayAmplitude_ / std::exp(t * 0.0000001);
        if (swayAmplitude_ < 0.01)
            swayAmplitude_ = 0.0;
        // Saturate rather than overflow on absurd frame times.
        const std::int64_t next = static_cast<std::int64_t>(t) + elapsedMs;
        const std::int64_t most = std::numeric_limits<std::int32_t>::max();
        swayClock_ = static_cast<std::int32_t>(next > most ? most : (next < 0 ? 0 : next));
    } else if (RandomUnit() < 0.001) {
        // Takes effect from the next update.
        const double u2 = RandomUnit();
        swayClock_ = 0;
        swayAmplitude_ = (u2 + 1.0) * 0.2;
    }
    ShapeStalk((sway + 1.0) * fruitRadius_);
    return sway;
}

void Flower::ShapeStalk(double load)
{
    const int n = ribbon_.NodeCount();
    const Vector3 down(0, -1, 0);
    Vector3 axis = down;
    Vector3 point = base_;
    const Vector3 side = Cross(bendVector_, down);
    Vector3 turn = bendVector_;
    const double step = -length_ / n;
    for (int j = 0; j < n; ++j) {
        const double k = load * (0.7 * j * j + 1.0) * 0.0015;
        axis = axis + turn * k;
        axis.Normalize();
        // Turned past the vertical: the rest of the stalk hangs straight.
        if (Dot(bendVector_, axis) < 0.0)
            axis = Vector3(0, 1, 0);
        turn = Cross(axis, side);
        RibbonNode& node = ribbon_.Node(j);
        node.position = point;
        node.tangent = axis;
        node.side = side;
        node.up = turn;
        point = point + axis * step;
    }
}
