#include "settings/PictureSequencePreview.h"

namespace {

std::list<PictureEntry> OneEntry(const PictureEntry& entry) { return std::list<PictureEntry>{entry}; }

}  // namespace

std::unique_ptr<PreviewPictures> PictureSequencePreview::Build(const PictureEntry& entry, int budgetSeconds,
                                                               const std::atomic<int>& cancelled)
{
    return std::make_unique<PictureSequencePreview>(entry, budgetSeconds, cancelled);
}

PictureSequencePreview::PictureSequencePreview(const PictureEntry& entry, int budgetSeconds,
                                               const std::atomic<int>& cancelled)
    : sequence_(OneEntry(entry), budgetSeconds, &cancelled)
{
}

bool PictureSequencePreview::CurrentPictureSize(int* width, int* height)
{
    const CImage* image = sequence_.CurrentImage();
    if (image == nullptr)
        return false;
    *width = image->GetWidth();
    *height = image->GetHeight();
    return true;
}

bool PictureSequencePreview::StretchCurrentPicture(int width, int height, platform::BgrxBitmap* out)
{
    const CImage* image = sequence_.CurrentImage();
    if (image == nullptr || width <= 0 || height <= 0)
        return false;
    // Halftone stretching works into a 24-bit surface; a top-down one reads out in order.
    CImage target;
    if (!target.Create(width, -height, 24))
        return false;
    if (!image->StretchBlt(&target, ImageRect{0, 0, width, height},
                           ImageRect{0, 0, image->GetWidth(), image->GetHeight()}))
        return false;
    out->width = width;
    out->height = height;
    out->pixels.resize(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = target.GetBits() + static_cast<std::ptrdiff_t>(y) * target.GetPitch();
        std::uint8_t* row = out->pixels.data() + static_cast<std::size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            row[x * 4 + 0] = source[x * 3 + 0];
            row[x * 4 + 1] = source[x * 3 + 1];
            row[x * 4 + 2] = source[x * 3 + 2];
            row[x * 4 + 3] = 0;
        }
    }
    return true;
}
