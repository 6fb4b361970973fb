#include "sound/SceneSoundVolume.h"

SceneSoundVolume::SceneSoundVolume(RandomSource random) : random_(random) {}

SceneSoundVolume::SceneSoundVolume(RandomSource random, int volume, int target)
    : random_(random), volume_(volume), target_(target)
{
}

int SceneSoundVolume::Step()
{
    const int sent = volume_;
    if (target_ != 0) {
        // The swell ends on the first step that lands above the target.
        volume_ += 20;
        if (volume_ > target_)
            target_ = 0;
    } else if (volume_ > -4000) {
        volume_ -= 5;
        if (volume_ < -4000)
            volume_ = -4000;
    }
    if (random_() > 0.99)
        target_ = static_cast<int>(-4000 + 1600 * random_());  // cut towards zero
    return sent;
}
