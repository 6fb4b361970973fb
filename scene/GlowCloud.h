#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/VectorMath.h"
#include "scene/GlowParticle.h"

// The fixed centre of the distant planet, far behind the scene and above the line of
// sight.
extern const Vector3 PlanetCentre;

// The planet's cloud of glowing spots: an immortal root at the planet's centre and its
// descendants, which branch outward, age and die. Plain logic, driven frame by frame;
// the storage for the largest cloud is reserved once, so updates never allocate.
class GlowCloud {
public:
    // The root included.
    static constexpr std::size_t kMaxParticles = 3001;

    GlowCloud();

    // Appends the root: age 0, immortal, size 2, at PlanetCentre.
    void AddRoot();
    // Appends a particle; false (and nothing added) when the cloud is full.
    bool Add(const GlowParticle& particle);

    // Ages the cloud, then may add one particle.
    void Update(std::int32_t elapsedMs);
    // Adds elapsedMs to every mortal particle that has not outlived its lifetime and
    // removes those that already have, keeping the order of the rest.
    void Age(std::int32_t elapsedMs);
    // About 70 % of calls add one child of a random particle, unless the cloud is full.
    void Spawn();

    std::size_t Count() const { return particles_.size(); }
    const std::vector<GlowParticle>& Particles() const { return particles_; }
    void SetDrawnLevel(std::size_t index, int level) { particles_[index].drawnLevel = level; }

    // 1 for the root, else sin(age / lifetime * pi): rising and falling over its life.
    static double Brightness(const GlowParticle& particle);

private:
    std::vector<GlowParticle> particles_;
};
