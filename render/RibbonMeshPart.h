#pragma once

#include <cstdint>

#include "render/RibbonMeshVertex.h"

// One separately drawn piece of a ribbon-bound mesh. A table of parts ends with a part
// whose vertexCount is 0.
struct RibbonMeshPart {
    int vertexCount = 0;
    int triangleCount = 0;
    RibbonMeshVertex* vertices = nullptr;      // vertexCount records
    const std::uint32_t* indices = nullptr;    // triangleCount * 3, 0-based
    unsigned int vertexBuffer = 0;             // OpenGL buffer names, set by BuildMeshBuffers
    unsigned int indexBuffer = 0;
};
