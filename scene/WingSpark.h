#pragma once

#include "render/VectorMath.h"

// One glowing orange spark shed by a wing.
struct WingSpark {
    Vector3 position;
    Vector3 velocity;        // units per ms
    double brightness = 0.0;
    double twinkleRate = 0.0;  // radians per ms
};
