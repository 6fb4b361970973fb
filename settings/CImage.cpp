#include "settings/CImage.h"

#include <cstring>
#include <mutex>
#include <new>
#include <utility>

#include "platform/ExifOrientation.h"

namespace {

// The decoder's start-up state and the live count change together, under one lock.
std::mutex decoderLock;
bool decoderStarted = false;
int liveCount = 0;

// Hands the decoder the holder's own rows.
class HolderTarget : public platform::DecodeTarget {
public:
    explicit HolderTarget(CImage* image) : image_(image) {}

    bool Allocate(int width, int height, int bitsPerPixel, bool hasAlpha, std::uint8_t** topRow,
                  int* pitch) override
    {
        if (!image_->Create(width, height, bitsPerPixel, CImage::kCompressionRgb, nullptr,
                            hasAlpha ? CImage::kCreateAlphaChannel : 0))
            return false;
        *topRow = image_->GetBits();
        *pitch = image_->GetPitch();
        return true;
    }

    void SetColourTable(const platform::PaletteColour* entries, int count) override
    {
        image_->SetColorTable(0, count, entries);
    }

    void SetOrientation(int orientation) override { orientation_ = orientation; }
    int Orientation() const { return orientation_; }

private:
    CImage* image_;
    int orientation_ = platform::kOrientationUpright;
};

// Where two rectangles overlap, in the second one's terms.
bool Clip(int extent, int* start, int* length)
{
    int from = *start < 0 ? 0 : *start;
    int to = *start + *length > extent ? extent : *start + *length;
    if (to <= from)
        return false;
    *start = from;
    *length = to - from;
    return true;
}

}  // namespace

const char* PictureFailureText(platform::PictureFailure failure)
{
    switch (failure) {
    case platform::PictureFailure::Unreadable:
        return "unreadable";
    case platform::PictureFailure::NotAPicture:
        return "not a picture format";
    case platform::PictureFailure::Damaged:
        return "damaged";
    case platform::PictureFailure::TooLarge:
        return "too large";
    case platform::PictureFailure::None:
        break;
    }
    return "could not be decoded";
}

CImage::CImage()
{
    std::lock_guard<std::mutex> hold(decoderLock);
    ++liveCount;
}

CImage::~CImage()
{
    Destroy();
    std::lock_guard<std::mutex> hold(decoderLock);
    if (--liveCount == 0 && decoderStarted) {
        platform::StopImageDecoder();
        decoderStarted = false;
    }
}

int CImage::LiveCount()
{
    std::lock_guard<std::mutex> hold(decoderLock);
    return liveCount;
}

std::int32_t CImage::Load(const char* path)
{
    Destroy();
    {
        std::lock_guard<std::mutex> hold(decoderLock);
        if (!decoderStarted)
            decoderStarted = platform::StartImageDecoder();
        if (!decoderStarted) {
            loadFailure_ = platform::PictureFailure::Unreadable;
            return kResultFailed;
        }
    }
    HolderTarget target(this);
    const platform::PictureFailure failure = path == nullptr
                                                 ? platform::PictureFailure::Unreadable
                                                 : platform::DecodeImageFile(path, platform::kMaxDecodedPixels, &target);
    if (failure != platform::PictureFailure::None) {
        Destroy();
        loadFailure_ = failure;
        return kResultFailed;
    }
    if (!TurnUpright(target.Orientation())) {
        Destroy();
        return kResultOutOfMemory;
    }
    return kResultOk;
}

bool CImage::TurnUpright(int orientation)
{
    if (orientation <= platform::kOrientationUpright || orientation > platform::kOrientationTurnedAnticlockwise ||
        IsNull())
        return true;
    const int bytesPerPixel = bitsPerPixel_ / 8;
    if (bytesPerPixel < 1 || bitsPerPixel_ % 8 != 0)
        return true;  // the decoders give 8, 24 and 32 bits only
    const bool swaps = platform::OrientationSwapsSides(orientation);
    const int width = swaps ? height_ : width_;
    const int height = swaps ? width_ : height_;
    CImage turned;
    // The same row order in memory as this one.
    if (!turned.Create(width, pitch_ < 0 ? height : -height, bitsPerPixel_, kCompressionRgb, nullptr,
                       hasAlpha_ ? kCreateAlphaChannel : 0))
        return false;
    if (colourTable_ != nullptr && bitsPerPixel_ <= 8)
        turned.SetColorTable(0, 1 << bitsPerPixel_, colourTable_.get());
    const int lastColumn = width_ - 1;
    const int lastRow = height_ - 1;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* to = turned.bits_ + static_cast<std::ptrdiff_t>(y) * turned.pitch_;
        for (int x = 0; x < width; ++x, to += bytesPerPixel) {
            // Where the upright picture's pixel (x, y) is stored.
            int column = x, row = y;
            switch (orientation) {
            case platform::kOrientationMirrored: column = lastColumn - x; break;
            case platform::kOrientationUpsideDown: column = lastColumn - x; row = lastRow - y; break;
            case platform::kOrientationFlipped: row = lastRow - y; break;
            case platform::kOrientationTransposed: column = y; row = x; break;
            case platform::kOrientationTurnedClockwise: column = y; row = lastRow - x; break;
            case platform::kOrientationTransverse: column = lastColumn - y; row = lastRow - x; break;
            case platform::kOrientationTurnedAnticlockwise: column = lastColumn - y; row = x; break;
            default: break;
            }
            std::memcpy(to, bits_ + static_cast<std::ptrdiff_t>(row) * pitch_ + column * bytesPerPixel,
                        static_cast<std::size_t>(bytesPerPixel));
        }
    }
    std::swap(pixels_, turned.pixels_);
    std::swap(colourTable_, turned.colourTable_);
    std::swap(bits_, turned.bits_);
    std::swap(width_, turned.width_);
    std::swap(height_, turned.height_);
    std::swap(pitch_, turned.pitch_);
    return true;
}

bool CImage::Create(int width, int height, int bitsPerPixel, int compression, const std::uint32_t* masks,
                    unsigned flags)
{
    Destroy();
    const int rows = height < 0 ? -height : height;
    const bool knownDepth = bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 16 ||
                            bitsPerPixel == 24 || bitsPerPixel == 32;
    const bool knownCompression =
        compression == kCompressionRgb || (compression == kCompressionBitfields && masks != nullptr);
    if (width <= 0 || rows <= 0 || !knownDepth || !knownCompression)
        return false;
    const std::int64_t rowSize = ((static_cast<std::int64_t>(bitsPerPixel) * width + 31) / 32) * 4;
    if (rowSize * rows > (std::int64_t(1) << 31))
        return false;
    pixels_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(rowSize * rows)]());
    if (pixels_ == nullptr)
        return false;
    if (bitsPerPixel <= 8) {
        colourTable_.reset(new (std::nothrow) platform::PaletteColour[256]());
        if (colourTable_ == nullptr) {
            pixels_.reset();
            return false;
        }
    }
    width_ = width;
    height_ = rows;
    bitsPerPixel_ = bitsPerPixel;
    if (height > 0) {
        bits_ = pixels_.get() + (rows - 1) * rowSize;
        pitch_ = -static_cast<int>(rowSize);
    } else {
        bits_ = pixels_.get();
        pitch_ = static_cast<int>(rowSize);
    }
    isDibSection_ = true;
    hasAlpha_ = (flags & kCreateAlphaChannel) != 0;
    return true;
}

void CImage::Destroy()
{
    pixels_.reset();
    colourTable_.reset();
    bits_ = nullptr;
    width_ = height_ = bitsPerPixel_ = pitch_ = 0;
    isDibSection_ = hasAlpha_ = false;
    transparentColour_ = -1;
    loadFailure_ = platform::PictureFailure::None;
}

void CImage::SetColorTable(int firstIndex, int count, const platform::PaletteColour* entries)
{
    if (colourTable_ == nullptr || firstIndex < 0)
        return;
    for (int i = 0; i < count && firstIndex + i < 256; ++i)
        colourTable_[firstIndex + i] = entries[i];
}

void CImage::FillRect(const ImageRect& rect, std::uint32_t colour)
{
    ImageRect clipped = rect;
    if (IsNull() || bitsPerPixel_ < 24 || !Clip(width_, &clipped.left, &clipped.width) ||
        !Clip(height_, &clipped.top, &clipped.height))
        return;
    const int step = bitsPerPixel_ / 8;
    const std::uint8_t blue = colour & 0xFF;
    const std::uint8_t green = (colour >> 8) & 0xFF;
    const std::uint8_t red = (colour >> 16) & 0xFF;
    for (int y = clipped.top; y < clipped.top + clipped.height; ++y) {
        std::uint8_t* pixel = bits_ + static_cast<std::ptrdiff_t>(y) * pitch_ + clipped.left * step;
        for (int x = 0; x < clipped.width; ++x, pixel += step) {
            pixel[0] = blue;
            pixel[1] = green;
            pixel[2] = red;
        }
    }
}

bool CImage::StretchBlt(CImage* destination, const ImageRect& destinationRect, const ImageRect& sourceRect) const
{
    if (IsNull() || destination == nullptr || destination->IsNull() || destination->bitsPerPixel_ != 24 ||
        destinationRect.width <= 0 || destinationRect.height <= 0 || sourceRect.width <= 0 ||
        sourceRect.height <= 0)
        return false;
    ImageRect source = sourceRect;
    if (!Clip(width_, &source.left, &source.width) || !Clip(height_, &source.top, &source.height))
        return false;

    // The source rectangle as rows in memory order; bottom-up bitmaps are read upside
    // down and written back the same way.
    const std::uint8_t* sourceRows = nullptr;
    int sourceStride = 0;
    bool sourceFlipped = false;
    std::unique_ptr<std::uint8_t[]> converted;
    if (bitsPerPixel_ == 24) {
        sourceFlipped = pitch_ < 0;
        const int firstRow = sourceFlipped ? source.top + source.height - 1 : source.top;
        sourceRows = bits_ + static_cast<std::ptrdiff_t>(firstRow) * pitch_ + source.left * 3;
        sourceStride = GetRowSize();
    } else {
        sourceStride = source.width * 3;
        converted.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(sourceStride) * source.height]);
        if (converted == nullptr)
            return false;
        for (int y = 0; y < source.height; ++y) {
            const std::uint8_t* in = bits_ + static_cast<std::ptrdiff_t>(source.top + y) * pitch_;
            std::uint8_t* out = converted.get() + static_cast<std::size_t>(y) * sourceStride;
            for (int x = source.left; x < source.left + source.width; ++x, out += 3) {
                if (bitsPerPixel_ == 32) {
                    std::memcpy(out, in + x * 4, 3);
                } else if (bitsPerPixel_ == 8) {
                    const platform::PaletteColour& c = colourTable_[in[x]];
                    out[0] = c.blue;
                    out[1] = c.green;
                    out[2] = c.red;
                } else {
                    return false;  // 1, 4 and 16 bits are never decoded into a holder
                }
            }
        }
        sourceRows = converted.get();
    }

    ImageRect target = destinationRect;
    const bool inside = Clip(destination->width_, &target.left, &target.width) &&
                        Clip(destination->height_, &target.top, &target.height);
    if (!inside)
        return false;
    const bool destinationFlipped = destination->pitch_ < 0;
    const bool whole = target.left == destinationRect.left && target.top == destinationRect.top &&
                       target.width == destinationRect.width && target.height == destinationRect.height;
    if (whole && destinationFlipped == sourceFlipped) {
        const int firstRow = destinationFlipped ? target.top + target.height - 1 : target.top;
        std::uint8_t* rows = destination->bits_ + static_cast<std::ptrdiff_t>(firstRow) * destination->pitch_ +
                             target.left * 3;
        return platform::ResampleBgr24(sourceRows, sourceStride, source.width, source.height, rows,
                                       destination->GetRowSize(), destinationRect.width, destinationRect.height);
    }

    const int resampledStride = destinationRect.width * 3;
    std::unique_ptr<std::uint8_t[]> resampled(
        new (std::nothrow) std::uint8_t[static_cast<std::size_t>(resampledStride) * destinationRect.height]);
    if (resampled == nullptr ||
        !platform::ResampleBgr24(sourceRows, sourceStride, source.width, source.height, resampled.get(),
                                 resampledStride, destinationRect.width, destinationRect.height))
        return false;
    for (int j = 0; j < destinationRect.height; ++j) {
        const int rectRow = sourceFlipped ? destinationRect.height - 1 - j : j;
        const int y = destinationRect.top + rectRow;
        if (y < target.top || y >= target.top + target.height)
            continue;
        std::memcpy(destination->bits_ + static_cast<std::ptrdiff_t>(y) * destination->pitch_ + target.left * 3,
                    resampled.get() + static_cast<std::size_t>(j) * resampledStride +
                        (target.left - destinationRect.left) * 3,
                    static_cast<std::size_t>(target.width) * 3);
    }
    return true;
}
