// Processor cost of the flowers per frame: the sway step and the reshaping of the four
// stalks (what FlowersHolder::Update does), without drawing.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "scene/Flower.h"
#include "scene/FlowersHolder.h"

namespace {

void BM_FlowersUpdate(benchmark::State& state)
{
    std::srand(1);
    std::vector<Flower*> flowers = FlowersHolder::MakeFlowers();
    // Half of them swaying, as the scene mostly is.
    flowers[0]->SetSway(0.4, 0);
    flowers[3]->SetSway(0.35, 500);
    for (auto _ : state) {
        for (Flower* flower : flowers)
            flower->Update(16);
        benchmark::DoNotOptimize(flowers[0]->Stalk().Node(19).position);
    }
    for (Flower* flower : flowers)
        delete flower;
}
BENCHMARK(BM_FlowersUpdate);

void BM_StalkPacking(benchmark::State& state)
{
    std::vector<Flower*> flowers = FlowersHolder::MakeFlowers();
    for (Flower* flower : flowers)
        flower->ShapeStalk(flower->FruitRadius());
    for (auto _ : state) {
        for (Flower* flower : flowers) {
            benchmark::DoNotOptimize(flower->Stalk().PackMatrixes());
            benchmark::DoNotOptimize(flower->Stalk().PackVertexes());
        }
    }
    for (Flower* flower : flowers)
        delete flower;
}
BENCHMARK(BM_StalkPacking);

}  // namespace

BENCHMARK_MAIN();
