#pragma once

// A photo-sized JPEG for the benchmarks: a smooth landscape with fine grain, so the
// encoder works as on a real photo. The seed moves the hills and the grain.
#include <cmath>
#include <string>

#include "tools/JpegFile.h"

inline bool WriteLargeJpeg(const std::string& path, int width, int height, unsigned seed)
{
    JpegFileSettings settings;
    settings.width = width;
    settings.height = height;
    settings.quality = 88;
    unsigned grain = 12345 + seed * 7919;
    const double phase = seed * 1.3;
    const int horizon = height * 17 / 30;
    return WriteJpegFile(path, settings, [&](int y, unsigned char* row) {
        for (int x = 0; x < width; ++x) {
            grain = grain * 1103515245u + 12345u;
            const double hill = horizon + height * 0.1 * std::sin(x * 0.002 + phase) + 120 * std::sin(x * 0.013);
            const int noise = static_cast<int>((grain >> 16) & 15) - 8;
            const bool sky = y < hill;
            row[x * 3 + 0] = static_cast<unsigned char>((sky ? 90 + y / 30 : 60) + noise);
            row[x * 3 + 1] = static_cast<unsigned char>((sky ? 140 + y / 40 : 150 - (y - horizon) / 20) + noise);
            row[x * 3 + 2] = static_cast<unsigned char>((sky ? 220 : 60) + noise);
        }
    });
}
