// What a new disc costs the render thread (decoding a 4000 x 3000 JPEG and painting
// the 512 x 512 disc canvas from it) and the tentacle's per-frame processor work.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/LargeJpeg.h"
#include "scene/TentacleCycle.h"
#include "settings/CImage.h"

namespace {

std::string LargeJpeg()
{
    static std::string path;
    if (!path.empty())
        return path;
    const std::string folder = (std::filesystem::temp_directory_path() / "zentharis-pictures-bench").string();
    std::filesystem::create_directories(folder);
    path = folder + "/large.jpg";
    WriteLargeJpeg(path, 4000, 3000, 0);
    return path;
}

void BM_DecodeLargeJpeg(benchmark::State& state)
{
    const std::string path = LargeJpeg();
    for (auto _ : state) {
        CImage image;
        if (image.Load(path.c_str()) != CImage::kResultOk)
            state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(image.GetBits());
    }
}
BENCHMARK(BM_DecodeLargeJpeg)->Unit(benchmark::kMillisecond);

void BM_DiscCanvasFromLargePicture(benchmark::State& state)
{
    CImage picture;
    if (picture.Load(LargeJpeg().c_str()) != CImage::kResultOk) {
        state.SkipWithError("decoding failed");
        return;
    }
    CImage canvas;
    canvas.Create(512, 512, 24);
    const ImageRect fit = TentacleCycle::FitPictureToDisc(picture.GetWidth(), picture.GetHeight());
    for (auto _ : state) {
        canvas.FillRect({0, 0, 512, 512}, 0);
        picture.StretchBlt(&canvas, fit, {0, 0, picture.GetWidth(), picture.GetHeight()});
        benchmark::DoNotOptimize(canvas.GetBits());
    }
}
BENCHMARK(BM_DiscCanvasFromLargePicture)->Unit(benchmark::kMillisecond);

void BM_NewDiscFromLargeJpeg(benchmark::State& state)
{
    const std::string path = LargeJpeg();
    CImage canvas;
    canvas.Create(512, 512, 24);
    for (auto _ : state) {
        CImage picture;
        picture.Load(path.c_str());
        canvas.FillRect({0, 0, 512, 512}, 0);
        picture.StretchBlt(&canvas, TentacleCycle::FitPictureToDisc(picture.GetWidth(), picture.GetHeight()),
                           {0, 0, picture.GetWidth(), picture.GetHeight()});
        benchmark::DoNotOptimize(canvas.GetBits());
    }
}
BENCHMARK(BM_NewDiscFromLargeJpeg)->Unit(benchmark::kMillisecond);

// Frames of 16 ms through whole cycles with a small picture, disc builds included.
void BM_TentacleFrame(benchmark::State& state)
{
    std::srand(1);
    const std::string folder = std::string(ZEN_BUILD_DIR) + "/sample-pictures/More pictures";
    TentacleCycle cycle({{folder, PictureEntry::Kind::Folder}}, 4000, nullptr);
    cycle.Start();
    for (auto _ : state) {
        cycle.Update(16);
        benchmark::DoNotOptimize(cycle.Node(39).position);
    }
}
BENCHMARK(BM_TentacleFrame);

// One circle step per frame: a path point appended and the 40 nodes re-laid along the
// whole path, the costliest kind of frame. Reported per step.
void BM_TentacleCircleStep(benchmark::State& state)
{
    std::srand(1);
    const std::string folder = std::string(ZEN_BUILD_DIR) + "/sample-pictures/More pictures";
    TentacleCycle cycle({{folder, PictureEntry::Kind::Folder}}, 4000, nullptr);
    cycle.Start();
    std::int64_t steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        while (cycle.State() != TentacleCycle::Circling)
            cycle.Update(16);
        state.ResumeTiming();
        while (cycle.State() == TentacleCycle::Circling) {
            cycle.Update(30);
            ++steps;
        }
    }
    state.SetItemsProcessed(steps);
    state.counters["path points at the end"] = static_cast<double>(cycle.Path().size());
}
BENCHMARK(BM_TentacleCircleStep)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
