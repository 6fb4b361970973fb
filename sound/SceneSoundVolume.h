#pragma once

// The ambient bed's wandering volume, in hundredths of a decibel: it rests at -4000,
// now and then swells by 20 a step to a random level up to -2400, then sinks back by 5
// a step. Steps count frames. Plain logic, so tests drive it without a sound device.
class SceneSoundVolume {
public:
    using RandomSource = double (*)();  // uniform in [0, 1]

    explicit SceneSoundVolume(RandomSource random);
    SceneSoundVolume(RandomSource random, int volume, int target);

    // One step: returns the volume from before the step, the one to hand to the buffer.
    int Step();

    int Volume() const { return volume_; }
    int Target() const { return target_; }  // 0: not swelling

private:
    RandomSource random_;
    int volume_ = -4000;
    int target_ = 0;
};
