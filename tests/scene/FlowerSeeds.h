#pragma once

#include <cstdlib>

#include "render/VectorMath.h"

// Seeds for the flower tests: a RandomUnit draw below 0.001 starts a sway.

// A seed whose first RandomUnit draw starts a sway.
inline unsigned SeedThatStartsASway()
{
    for (unsigned seed = 1;; ++seed) {
        std::srand(seed);
        if (RandomUnit() < 0.001)
            return seed;
    }
}

// A seed whose first draws never start a sway, so the flowers keep their resting shape.
inline unsigned SeedThatRests(int draws)
{
    for (unsigned seed = 1;; ++seed) {
        std::srand(seed);
        bool rests = true;
        for (int i = 0; i < draws && rests; ++i)
            rests = RandomUnit() >= 0.001;
        if (rests)
            return seed;
    }
}
