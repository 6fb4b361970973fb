// What one picture costs the disc's loader thread: the decode (at the reduced scale a
// JPEG is read at) and the painting of the 512 x 512 disc canvas, with the process's
// peak memory before and after. One picture a run, so that the peak is that picture's;
// bench/large-pictures.sh runs it over the large JPEGs, natively and under Wine.
//
//   LargePictureDecode FILE [RUNS]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench/PeakMemory.h"
#include "platform/ImageDecoder.h"
#include "scene/TentacleCycle.h"
#include "settings/CImage.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: LargePictureDecode FILE [RUNS]\n");
        return 2;
    }
    const char* path = argv[1];
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    int width = 0;
    int height = 0;
    platform::ProbeImageFile(path, &width, &height);
    CImage canvas;
    canvas.Create(TentacleCycle::kCanvasSize, TentacleCycle::kCanvasSize, 24);
    const double before = PeakMemoryBytes() / 1048576.0;
    double bestDecode = 1e9;
    double bestPaint = 1e9;
    int decodedWidth = 0;
    int decodedHeight = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        CImage picture;
        if (picture.Load(path) != CImage::kResultOk) {
            std::printf("%s: not decoded (%s)\n", path, PictureFailureText(picture.LoadFailure()));
            return 1;
        }
        const auto decoded = std::chrono::steady_clock::now();
        picture.StretchBlt(&canvas, TentacleCycle::FitPictureToDisc(picture.GetWidth(), picture.GetHeight()),
                           {0, 0, picture.GetWidth(), picture.GetHeight()});
        const auto painted = std::chrono::steady_clock::now();
        const double decodeMs = std::chrono::duration<double, std::milli>(decoded - start).count();
        const double paintMs = std::chrono::duration<double, std::milli>(painted - decoded).count();
        bestDecode = decodeMs < bestDecode ? decodeMs : bestDecode;
        bestPaint = paintMs < bestPaint ? paintMs : bestPaint;
        decodedWidth = picture.GetWidth();
        decodedHeight = picture.GetHeight();
    }
    std::printf("%dx%d decoded at %dx%d: decode %.0f ms, disc canvas %.0f ms (best of %d); peak memory %.0f MB (%.0f MB before)\n",
                width, height, decodedWidth, decodedHeight, bestDecode, bestPaint, runs, PeakMemoryBytes() / 1048576.0,
                before);
    return 0;
}
