// The planet's per-frame update over a full cloud of 3,001 spots. FormlessPlanet's
// Update is its cloud's, which needs no GL context.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "scene/GlowCloud.h"

namespace {

// Root plus 3,000 long-lived spots: every update ages them all and finds no room.
void FillCloud(GlowCloud* cloud, double lifetime)
{
    cloud->AddRoot();
    for (std::size_t i = 1; i < GlowCloud::kMaxParticles; ++i) {
        GlowParticle particle;
        particle.lifetime = lifetime;
        particle.size = 0.5;
        particle.position = PlanetCentre + Vector3(0.001 * static_cast<double>(i), 0.0, 0.0);
        cloud->Add(particle);
    }
}

void BM_PlanetUpdateFullCloud(benchmark::State& state)
{
    GlowCloud cloud;
    FillCloud(&cloud, 1e15);
    std::srand(1);
    for (auto _ : state) {
        cloud.Update(16);
        benchmark::DoNotOptimize(cloud.Particles().data());
    }
    state.counters["particles"] = static_cast<double>(cloud.Count());
}
BENCHMARK(BM_PlanetUpdateFullCloud);

}  // namespace

BENCHMARK_MAIN();
