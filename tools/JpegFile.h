#pragma once

// A JPEG file written with libjpeg, row by row from a callback, for the generators and
// the benchmarks: a picture of hundreds of megapixels is never held whole.
#include <cstdio>  // before jpeglib.h, which needs FILE

#include <jpeglib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct JpegFileSettings {
    int width = 0;
    int height = 0;
    int components = 3;
    J_COLOR_SPACE space = JCS_RGB;
    int quality = 90;
    bool progressive = false;
    // Written as an APP1 segment (an Exif block) before the picture, when not empty.
    std::vector<std::uint8_t> app1;
};

// fillRow(y, row) fills row y (the top row is 0) with width x components bytes.
inline bool WriteJpegFile(const std::string& path, const JpegFileSettings& settings,
                          const std::function<void(int, unsigned char*)>& fillRow)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = static_cast<JDIMENSION>(settings.width);
    info.image_height = static_cast<JDIMENSION>(settings.height);
    info.input_components = settings.components;
    info.in_color_space = settings.space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, settings.quality, TRUE);
    if (settings.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    if (!settings.app1.empty())
        jpeg_write_marker(&info, JPEG_APP0 + 1, settings.app1.data(), static_cast<unsigned>(settings.app1.size()));
    std::vector<unsigned char> row(static_cast<std::size_t>(settings.width) * settings.components);
    for (int y = 0; y < settings.height; ++y) {
        fillRow(y, row.data());
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(out) == 0;
}
