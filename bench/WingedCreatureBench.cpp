// Processor cost of the winged creature per frame without drawing: the flight, both
// wings with their sweeps and sparks, and the sound trigger (what UpdateAndDraw does
// before it issues OpenGL), plus the packing of the body's uniforms.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "scene/WingedCreature.h"

namespace {

// Without a sound manager the creature is not ready, but its body, flight and wings are
// built and Step runs in full. Its glow textures are asked for without a current
// context, which OpenGL ignores.
void BM_WingedCreatureStep(benchmark::State& state)
{
    std::srand(1);
    WingedCreature creature;
    // Settle into flight so that both wings carry their usual spark trails.
    for (int frame = 0; frame < 1200; ++frame)
        creature.Step(16 + frame % 2);
    int frame = 0;
    for (auto _ : state) {
        creature.Step(16 + (++frame & 1));
        benchmark::DoNotOptimize(creature.Body().Node(0).position);
    }
    state.counters["sparks"] = static_cast<double>(creature.Wing(0).Sparks().Sparks().size() +
                                                   creature.Wing(1).Sparks().Sparks().size());
}
BENCHMARK(BM_WingedCreatureStep);

void BM_CreatureFlightOnly(benchmark::State& state)
{
    std::srand(1);
    Ribbon body(WingedCreature::kBodyNodes);
    CreatureFlight flight(&body);
    int frame = 0;
    for (auto _ : state) {
        flight.Update(16 + (++frame & 1));
        benchmark::DoNotOptimize(body.Node(0).position);
    }
}
BENCHMARK(BM_CreatureFlightOnly);

void BM_CreatureBodyPacking(benchmark::State& state)
{
    std::srand(1);
    Ribbon body(WingedCreature::kBodyNodes);
    CreatureFlight flight(&body);
    for (auto _ : state) {
        benchmark::DoNotOptimize(body.PackMatrixes());
        benchmark::DoNotOptimize(body.PackVertexes());
    }
}
BENCHMARK(BM_CreatureBodyPacking);

}  // namespace

BENCHMARK_MAIN();
