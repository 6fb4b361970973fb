// The planet's drawing alone, over the cloud it grows at a given frame rate: spawning
// is one chance a frame, so a faster saver carries a larger cloud. The cloud is grown
// for a minute of fixed frame times from a fixed seed, then each measured frame
// updates, clears, draws the planet and waits for the renderer. Needs a display: run
// under xvfb-run with -noreset (1024x768 unless ZEN_BENCH_SIZE=WxH).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "scene/FormlessPlanet.h"
#include "tests/render/GLTestContext.h"

namespace {

void BM_PlanetDraw(benchmark::State& state)
{
    int width = 1024;
    int height = 768;
    if (const char* size = std::getenv("ZEN_BENCH_SIZE"))
        std::sscanf(size, "%dx%d", &width, &height);
    GLTestContext context(width, height);
    if (!context.IsReady()) {
        state.SkipWithError("no OpenGL context (is there a display?)");
        return;
    }
    FormlessPlanet planet;
    const auto frameMs = static_cast<std::int32_t>(state.range(0));
    std::srand(20240611);
    for (std::int32_t grown = 0; grown < 60000; grown += frameMs)
        planet.Update(frameMs);
    GLuint query = 0;
    glGenQueries(1, &query);
    double samples = 0.0;
    for (auto _ : state) {
        planet.Update(frameMs);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glBeginQuery(GL_SAMPLES_PASSED, query);
        planet.Draw();
        glEndQuery(GL_SAMPLES_PASSED);
        glFinish();
        GLuint passed = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &passed);
        samples += passed;
    }
    glDeleteQueries(1, &query);
    state.counters["spots"] = static_cast<double>(planet.Cloud().Count());
    state.counters["Msamples"] = samples / 1e6 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PlanetDraw)->Arg(10)->Arg(16)->Unit(benchmark::kMillisecond)->Iterations(600);

}  // namespace

BENCHMARK_MAIN();
