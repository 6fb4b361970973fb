#pragma once

#include <cstdint>
#include <memory>

#include "platform/ImageDecoder.h"

// A rectangle of pixels: left and top corner, width and height.
struct ImageRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Why a picture is not shown, in words for the log.
const char* PictureFailureText(platform::PictureFailure failure);

// Holder of one picture as a device-independent bitmap: 8-bit indexed with its
// colour table, 24-bit (blue, green, red) or 32-bit (blue, green, red, alpha or
// unused) rows, each rounded up to 4 bytes. A positive height asks for a bottom-up
// bitmap, whose pitch (the step from one row to the row below) is then negative.
class CImage {
public:
    static constexpr std::int32_t kResultOk = 0;
    static constexpr std::int32_t kResultFailed = static_cast<std::int32_t>(0x80004005u);       // E_FAIL
    static constexpr std::int32_t kResultOutOfMemory = static_cast<std::int32_t>(0x8007000Eu);  // E_OUTOFMEMORY

    static constexpr int kCompressionRgb = 0;        // BI_RGB
    static constexpr int kCompressionBitfields = 3;  // BI_BITFIELDS
    static constexpr unsigned kCreateAlphaChannel = 1;

    CImage();
    virtual ~CImage();
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;

    // Decodes a BMP, GIF, JPEG or PNG file into this (empty) holder. Non-zero on any
    // failure, leaving the holder empty; LoadFailure then says why.
    std::int32_t Load(const char* path);
    platform::PictureFailure LoadFailure() const { return loadFailure_; }

    // Turns the rows as a JPEG's recorded orientation (1 to 8) says, so that the picture
    // stands upright; 5 to 8 swap width and height. False when the memory for the turned
    // copy cannot be had (the holder is then as it was).
    bool TurnUpright(int orientation);

    // A new zeroed bitmap; masks (three) only with kCompressionBitfields. False on failure.
    bool Create(int width, int height, int bitsPerPixel, int compression = kCompressionRgb,
                const std::uint32_t* masks = nullptr, unsigned flags = 0);
    // Frees the bitmap; the holder is empty again.
    void Destroy();

    // Stretches sourceRect of this picture into destinationRect of a 24-bit bitmap with
    // halftone-quality filtering (colours copied, alpha ignored). The part of
    // destinationRect outside the destination is clipped. False when nothing can be drawn.
    bool StretchBlt(CImage* destination, const ImageRect& destinationRect, const ImageRect& sourceRect) const;
    // Fills a rectangle of a 24- or 32-bit bitmap with one colour (0x00RRGGBB), clipped.
    void FillRect(const ImageRect& rect, std::uint32_t colour);
    void SetColorTable(int firstIndex, int count, const platform::PaletteColour* entries);

    bool IsNull() const { return pixels_ == nullptr; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    int GetPitch() const { return pitch_; }
    int GetBPP() const { return bitsPerPixel_; }
    // The top row.
    std::uint8_t* GetBits() { return bits_; }
    const std::uint8_t* GetBits() const { return bits_; }
    // The row lowest in memory: the bottom row of a bottom-up bitmap.
    const std::uint8_t* GetMemory() const { return pixels_.get(); }
    bool HasAlpha() const { return hasAlpha_; }
    bool IsDibSection() const { return isDibSection_; }
    int GetTransparentColor() const { return transparentColour_; }
    const platform::PaletteColour* GetColorTable() const { return colourTable_.get(); }
    int GetRowSize() const { return pitch_ < 0 ? -pitch_ : pitch_; }

    // Live holders in the process (the decoder runs while there is one).
    static int LiveCount();

private:
    std::unique_ptr<std::uint8_t[]> pixels_;
    std::unique_ptr<platform::PaletteColour[]> colourTable_;  // 256 entries for 8 bits and fewer
    std::uint8_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int bitsPerPixel_ = 0;
    int pitch_ = 0;
    bool isDibSection_ = false;
    bool hasAlpha_ = false;
    int transparentColour_ = -1;
    platform::PictureFailure loadFailure_ = platform::PictureFailure::None;
};
