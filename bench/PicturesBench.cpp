// What a new disc costs the render thread (decoding a 4000 x 3000 JPEG and painting
// the 512 x 512 disc canvas from it) and the tentacle's per-frame processor work.
#include <benchmark/benchmark.h>

#include <cstdio>  // before jpeglib.h, which needs FILE

#include <jpeglib.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "scene/TentacleCycle.h"
#include "settings/CImage.h"

namespace {

// A smooth landscape-like photo with fine grain, so the encoder works as on a real one.
std::string LargeJpeg()
{
    static std::string path;
    if (!path.empty())
        return path;
    const std::string folder = (std::filesystem::temp_directory_path() / "zentharis-pictures-bench").string();
    std::filesystem::create_directories(folder);
    path = folder + "/large.jpg";
    const int width = 4000, height = 3000;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 88, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(width * 3);
    unsigned grain = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            grain = grain * 1103515245u + 12345u;
            const double hill = 1700 + 300 * std::sin(x * 0.002) + 120 * std::sin(x * 0.013);
            const int noise = static_cast<int>((grain >> 16) & 15) - 8;
            const bool sky = y < hill;
            row[x * 3 + 0] = static_cast<unsigned char>((sky ? 90 + y / 30 : 60) + noise);
            row[x * 3 + 1] = static_cast<unsigned char>((sky ? 140 + y / 40 : 150 - (y - 1700) / 20) + noise);
            row[x * 3 + 2] = static_cast<unsigned char>((sky ? 220 : 60) + noise);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(out);
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
