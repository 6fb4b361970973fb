// Writes the large JPEGs of the decoder's checks and benchmarks into FOLDER: camera and
// phone sizes (48, 61, 102 and 200 megapixels), each baseline and progressive, and a
// 200-megapixel JPEG of over 100 MB. Each is the same picture, the top left quarter
// green, the top right red, the bottom half blue, so a check can tell a turned or
// mirrored picture by where its colours sit. The 100 MB one carries grain, as a sensor's
// noise does, to reach that size; so does a 16-megapixel pair, baseline and progressive,
// of the same pixels, for checks that compare the two decodes. Written row by row: no
// whole bitmap is ever held.
//
//   make_large_jpegs FOLDER
//
// A folder already holding this version's complete set is left as it is.

#include <cstdio>
#include <filesystem>
#include <random>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/JpegFile.h"

namespace {

// Written last: a folder holding it holds every file of this version.
const char kStamp[] = ".complete-6";

struct LargeJpeg {
    const char* name;
    int width;
    int height;
    bool progressive;
    int grain;  // the amplitude of the noise over the colours, 0 for none
    int quality;
};

const LargeJpeg kLargeJpegs[] = {
    {"48mp-baseline.jpg", 8000, 6000, false, 0, 90},
    {"48mp-progressive.jpg", 8000, 6000, true, 0, 90},
    {"61mp-baseline.jpg", 9504, 6336, false, 0, 90},
    {"61mp-progressive.jpg", 9504, 6336, true, 0, 90},
    {"102mp-baseline.jpg", 11648, 8736, false, 0, 90},
    {"102mp-progressive.jpg", 11648, 8736, true, 0, 90},
    {"200mp-baseline.jpg", 16320, 12240, false, 0, 90},
    {"200mp-progressive.jpg", 16320, 12240, true, 0, 90},
    {"200mp-100mb.jpg", 16320, 12240, false, 28, 96},
    {"16mp-grain-baseline.jpg", 4096, 4096, false, 40, 90},
    {"16mp-grain-progressive.jpg", 4096, 4096, true, 40, 90},
};

bool Write(const std::string& path, const LargeJpeg& picture)
{
    JpegFileSettings settings;
    settings.width = picture.width;
    settings.height = picture.height;
    settings.quality = picture.quality;
    settings.progressive = picture.progressive;
    unsigned grain = 2463534242u;
    return WriteJpegFile(path, settings, [&](int y, unsigned char* row) {
        for (int x = 0; x < picture.width; ++x) {
            const bool top = y < picture.height / 2;
            const bool left = x < picture.width / 2;
            const int colour[3] = {top && !left ? 255 : 0, top && left ? 255 : 0, top ? 0 : 255};
            for (int c = 0; c < 3; ++c) {
                int value = colour[c];
                if (picture.grain > 0) {
                    grain ^= grain << 13;
                    grain ^= grain >> 17;
                    grain ^= grain << 5;
                    value += static_cast<int>(grain % (2u * picture.grain + 1)) - picture.grain;
                }
                row[x * 3 + c] = static_cast<unsigned char>(value < 0 ? 0 : value > 255 ? 255 : value);
            }
        }
    });
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_large_jpegs FOLDER\n";
        return 2;
    }
    const std::string folder = argv[1];
    if (std::ifstream(folder + "/" + kStamp).good())
        return 0;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    // Each file is written under a name of its own and then renamed: a check that
    // starts meanwhile, or a second build's run, never reads half a picture.
    for (const LargeJpeg& picture : kLargeJpegs) {
        const std::string path = folder + "/" + picture.name;
        const std::string partial = path + ".partial-" + std::to_string(std::random_device()());
        if (!Write(partial, picture) || std::rename(partial.c_str(), path.c_str()) != 0) {
            std::cerr << "make_large_jpegs: cannot write " << folder << "/" << picture.name << "\n";
            return 1;
        }
    }
    std::ofstream(folder + "/" + kStamp) << "done\n";
    return 0;
}
