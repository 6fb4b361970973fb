#pragma once

#include <cstdint>

#include "render/Ribbon.h"
#include "render/VectorMath.h"

// One flower: a stalk standing on its base, bent under its fruit, now and then swaying.
// Plain logic; FlowersHolder draws it.
class Flower {
public:
    static constexpr int kNodeCount = 20;  // must equal the stalk shader's NumberOfNodes

    Flower(const Vector3& base, const Vector3& bendVector, double length, double fruitRadius);

    // Advances the sway (which may start one, drawing from RandomUnit) and reshapes the
    // stalk. Returns the sway used for this update's shape.
    double Update(std::int32_t elapsedMs);

    // Lays the ribbon along the stalk for load w: the axis turns towards the bend vector
    // node by node, the more the higher up, so the stalk curves away from it.
    void ShapeStalk(double load);

    const Vector3& Base() const { return base_; }
    const Vector3& BendVector() const { return bendVector_; }
    double Length() const { return length_; }
    double FruitRadius() const { return fruitRadius_; }
    double SwayAmplitude() const { return swayAmplitude_; }
    std::int32_t SwayClock() const { return swayClock_; }
    Ribbon& Stalk() { return ribbon_; }
    const Ribbon& Stalk() const { return ribbon_; }

    // For tests: a sway already under way.
    void SetSway(double amplitude, std::int32_t clock)
    {
        swayAmplitude_ = amplitude;
        swayClock_ = clock;
    }

private:
    Vector3 base_;
    Vector3 bendVector_;
    double swayAmplitude_ = 0.0;  // 0 at rest
    std::int32_t swayClock_ = 0;  // ms since the sway started
    Ribbon ribbon_;
    double length_;
    double fruitRadius_;
};
