#pragma once

#include "render/VectorMath.h"

// One faint spot of the planet's cloud.
struct GlowParticle {
    double age = 0.0;       // milliseconds lived so far
    double lifetime = 0.0;  // milliseconds; kImmortal marks the root
    double size = 0.0;      // half the side of its square
    Vector3 position;       // centre of its square
    int drawnLevel = 0;     // the grey level it holds in the planet's accumulated glow

    static constexpr double kImmortal = -1.0;
    bool IsImmortal() const { return lifetime == kImmortal; }
};
