#include "scene/GlowCloud.h"

const Vector3 PlanetCentre(0.2, 3.0, -20.0);

GlowCloud::GlowCloud() { particles_.reserve(kMaxParticles); }

void GlowCloud::AddRoot()
{
    GlowParticle root;
    root.age = 0.0;
    root.lifetime = GlowParticle::kImmortal;
    root.size = 2.0;
    root.position = PlanetCentre;
    Add(root);
}

bool GlowCloud::Add(const GlowParticle& particle)
{
    if (particles_.size() >= kMaxParticles)
        return false;
    particles_.push_back(particle);
    return true;
}

void GlowCloud::Update(std::int32_t elapsedMs)
{
    Age(elapsedMs);
    Spawn();
}

void GlowCloud::Age(std::int32_t elapsedMs)
{
    // One pass that closes the gaps, so the survivors keep their order (the parent
    // choice goes by index).
    std::size_t kept = 0;
    for (std::size_t i = 0; i < particles_.size(); ++i) {
        GlowParticle& particle = particles_[i];
        if (!particle.IsImmortal()) {
            // A particle outlives its lifetime by one update: aged past it here, removed
            // at the next.
            if (particle.age > particle.lifetime)
                continue;
            particle.age += elapsedMs;
        }
        if (kept != i)
            particles_[kept] = particle;
        ++kept;
    }
    particles_.resize(kept);
}

void GlowCloud::Spawn()
{
    // The draws come in a fixed order: u1, u2 (parent), u3 (size), u4 (distance),
    // u5 (angle), and u6 (direction) only for a parent at the planet's centre.
    if (RandomUnit() > 0.7)
        return;
    const std::size_t count = particles_.size();
    if (count > kMaxParticles - 1 || count == 0)
        return;
    std::size_t index = static_cast<std::size_t>(RandomUnit() * count);
    if (index >= count)  // a draw of exactly 1
        index = count - 1;
    const GlowParticle parent = particles_[index];
    const double size = (RandomUnit() * 0.4 + 0.6) * parent.size;
    const double distance = RandomUnit() * parent.size * 0.2;
    double angle = RandomUnit() - 0.5;

    Vector3 offset = parent.position - PlanetCentre;
    const double length = offset.Length();
    if (length == 0.0) {
        // No radial line to follow: any direction.
        angle = RandomUnit() * 6.2831852;
        offset = Vector3(distance, 0.0, 0.0);
    } else {
        offset = offset * (distance / length);
    }
    // About the axis pointing away from the viewer: clockwise on screen.
    offset = offset.RotateAroundAxis(Vector3(0.0, 0.0, -1.0), angle);

    GlowParticle child;
    child.age = 0.0;
    child.lifetime = size * 3000.0;
    child.size = size;
    child.position = parent.position + offset;
    particles_.push_back(child);
}

double GlowCloud::Brightness(const GlowParticle& particle)
{
    if (particle.IsImmortal())
        return 1.0;
    return std::sin(particle.age / particle.lifetime * 3.1415926);
}
