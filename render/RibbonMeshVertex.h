#pragma once

#include "render/VectorMath.h"

// Vertex of a mesh modelled along a ribbon: x in (0, 1] along the body (1 at the head),
// y across, z up. normal, gridX and gridY are the surface frame in which the fragment
// shaders build perturbed normals.
struct RibbonMeshVertex {
    Vector3 position;
    Vector2 gridPoint;
    Vector3 normal;
    Vector3 gridX;
    Vector3 gridY;
};
