#pragma once

#include "render/VectorMath.h"

// One joint of a ribbon: a point and an orthonormal frame.
struct RibbonNode {
    Vector3 position;
    Vector3 tangent;  // along the body, towards the head (node 0)
    Vector3 side;     // Cross(up, tangent)
    Vector3 up;       // Cross(tangent, side)
};
