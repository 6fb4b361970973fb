#pragma once

// A photo-sized JPEG for the benchmarks: a smooth landscape with fine grain, so the
// encoder works as on a real photo. The seed moves the hills and the grain.
#include <cstdio>  // before jpeglib.h, which needs FILE

#include <jpeglib.h>

#include <cmath>
#include <string>
#include <vector>

inline bool WriteLargeJpeg(const std::string& path, int width, int height, unsigned seed)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 88, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    unsigned grain = 12345 + seed * 7919;
    const double phase = seed * 1.3;
    const int horizon = height * 17 / 30;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            grain = grain * 1103515245u + 12345u;
            const double hill = horizon + height * 0.1 * std::sin(x * 0.002 + phase) + 120 * std::sin(x * 0.013);
            const int noise = static_cast<int>((grain >> 16) & 15) - 8;
            const bool sky = y < hill;
            row[x * 3 + 0] = static_cast<unsigned char>((sky ? 90 + y / 30 : 60) + noise);
            row[x * 3 + 1] = static_cast<unsigned char>((sky ? 140 + y / 40 : 150 - (y - horizon) / 20) + noise);
            row[x * 3 + 2] = static_cast<unsigned char>((sky ? 220 : 60) + noise);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(out) == 0;
}
