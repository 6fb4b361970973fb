#pragma once

#include <cstdint>

#include "render/RibbonMeshPart.h"

// The winged creature's body, made by tools/make_creature_model at build time. The
// model lies along +x with the head at the large-x end, symmetric about y = 0, z up;
// every part is a closed surface wound counter-clockwise seen from outside.
enum WingedCreatureModelPart {
    CreatureScales = 0,    // the whole body, tail tip to snout
    CreatureBelly = 1,     // the wrinkled pouch under the trunk
    CreatureEyes = 2,
    CreatureHorns = 3,
    CreatureModelParts = 4
};

// Four parts and a terminator (vertexCount 0). Not const: fitting to the ribbon
// rescales the vertices in place (fitting twice changes nothing).
extern RibbonMeshPart WingedCreatureModel[CreatureModelParts + 1];

// Each part's index list as stored: vertex count, triangle count, then the triples.
extern const std::uint32_t* const WingedCreatureModelIndexLists[CreatureModelParts];
