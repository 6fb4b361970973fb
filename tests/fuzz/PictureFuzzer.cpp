// Bytes -> a file -> the loading code the saver runs (the one-step open, the format
// test, the decoders), then the stretch onto a disc that the tentacles do.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <unistd.h>

#include "platform/ImageDecoder.h"
#include "settings/CImage.h"

namespace {

std::string picturePath;

void LoadAndDraw(int discSize)
{
    CImage image;
    if (image.Load(picturePath.c_str()) != CImage::kResultOk) {
        if (!image.IsNull())
            std::abort();  // a failed load must leave the holder empty
        return;
    }
    if (image.GetWidth() <= 0 || image.GetHeight() <= 0 ||
        std::int64_t(image.GetWidth()) * image.GetHeight() > platform::kMaxPicturePixels)
        std::abort();
    CImage disc;
    if (!disc.Create(discSize, discSize, 24))
        std::abort();
    image.StretchBlt(&disc, {0, 0, discSize, discSize}, {0, 0, image.GetWidth(), image.GetHeight()});
    image.StretchBlt(&disc, {-3, 5, discSize / 2, discSize * 2}, {1, 1, image.GetWidth() - 1, image.GetHeight()});
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    picturePath = std::string(folder) + "/zentharis-fuzz-picture-" + std::to_string(getpid()) + ".jpg";
    std::atexit([] { unlink(picturePath.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(picturePath.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        std::abort();
    // Two loads at once, as the preview and the saver's loader thread may run them.
    std::thread other([] { LoadAndDraw(64); });
    LoadAndDraw(512);
    other.join();
    int width = 0;
    int height = 0;
    platform::ProbeImageFile(picturePath.c_str(), &width, &height);
    return 0;
}
