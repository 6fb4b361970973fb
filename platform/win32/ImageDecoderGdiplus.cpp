#include "platform/ImageDecoder.h"

#include <windows.h>
// GDI+ needs the COM declarations that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#include "platform/BlockReduction.h"
#include "platform/ExifOrientation.h"
#include "platform/JpegReader.h"
#include "platform/win32/WidePathWin32.h"

namespace platform {

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

// Set by StartImageDecoder, cleared by StopImageDecoder; the caller serialises both.
ULONG_PTR gdiplusToken = 0;

// Memory device contexts kept for reuse, shared by every thread without a lock.
constexpr int kCachedContexts = 4;
std::atomic<HDC> cachedContexts[kCachedContexts];

HDC TakeContext()
{
    for (std::atomic<HDC>& slot : cachedContexts) {
        if (HDC context = slot.exchange(nullptr))
            return context;
    }
    return CreateCompatibleDC(nullptr);
}

// The context goes to the front; whoever sat there moves one slot on, and the one
// pushed out of the last slot is deleted.
void GiveBackContext(HDC context)
{
    for (std::atomic<HDC>& slot : cachedContexts) {
        context = slot.exchange(context);
        if (context == nullptr)
            return;
    }
    DeleteDC(context);
}

// A picture file mapped read-only, through one handle checked to be a file on a disk
// no larger than kMaxPictureFileBytes: its bytes are inspected and decoded where they
// lie, with no copy of a large file. Windows refuses to cut a file short while a view of
// it is mapped, so the view stays readable to its end.
class MappedPictureFile {
public:
    explicit MappedPictureFile(const char* path)
    {
        const std::wstring wide = path != nullptr ? win32::WidePath(path) : std::wstring();
        if (wide.empty())
            return;
        file_ = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        LARGE_INTEGER length = {};
        if (file_ == INVALID_HANDLE_VALUE || GetFileType(file_) != FILE_TYPE_DISK || !GetFileSizeEx(file_, &length))
            return;
        if (length.QuadPart > kMaxPictureFileBytes) {
            failure_ = PictureFailure::TooLarge;
            return;
        }
        if (length.QuadPart == 0) {
            failure_ = PictureFailure::NotAPicture;  // nothing can be mapped, and nothing is a picture
            return;
        }
        // The size as it was when opened, whatever the file does meanwhile.
        mapping_ = CreateFileMappingW(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping_ != nullptr)
            view_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(length.QuadPart));
        if (view_ == nullptr)
            return;
        size_ = static_cast<std::size_t>(length.QuadPart);
        failure_ = PictureFailure::None;
    }

    ~MappedPictureFile() { Close(); }

    // While a handle is open the file cannot leave its folder: a deleted one stays listed.
    void Close()
    {
        if (view_ != nullptr)
            UnmapViewOfFile(view_);
        if (mapping_ != nullptr)
            CloseHandle(mapping_);
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
        view_ = nullptr;
        mapping_ = nullptr;
        file_ = INVALID_HANDLE_VALUE;
        size_ = 0;
    }

    MappedPictureFile(const MappedPictureFile&) = delete;
    MappedPictureFile& operator=(const MappedPictureFile&) = delete;

    PictureFailure Failure() const { return failure_; }
    const std::uint8_t* Bytes() const { return static_cast<const std::uint8_t*>(view_); }
    std::size_t Size() const { return size_; }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    const void* view_ = nullptr;
    std::size_t size_ = 0;
    PictureFailure failure_ = PictureFailure::Unreadable;
};

// A 24-bit top-down DIB section selected into a cached memory context.
class SelectedDib {
public:
    SelectedDib(int width, int height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap_ == nullptr)
            return;
        context_ = TakeContext();
        if (context_ == nullptr)
            return;
        previous_ = SelectObject(context_, bitmap_);
        bits_ = static_cast<std::uint8_t*>(bits);
        rowSize_ = ((width * 3 + 3) / 4) * 4;
    }

    ~SelectedDib()
    {
        if (context_ != nullptr) {
            SelectObject(context_, previous_);
            GiveBackContext(context_);
        }
        if (bitmap_ != nullptr)
            DeleteObject(bitmap_);
    }

    SelectedDib(const SelectedDib&) = delete;
    SelectedDib& operator=(const SelectedDib&) = delete;

    bool Ready() const { return bits_ != nullptr; }
    HDC Context() const { return context_; }
    std::uint8_t* Row(int y) const { return bits_ + static_cast<std::ptrdiff_t>(y) * rowSize_; }

private:
    HBITMAP bitmap_ = nullptr;
    HDC context_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint8_t* bits_ = nullptr;
    int rowSize_ = 0;
};

// Copies rows of the decoded bitmap, converted to wanted by GDI+ where it differs.
bool CopyRows(GpBitmap* bitmap, int width, int height, PixelFormat wanted, int bytesPerRow, std::uint8_t* row,
              int pitch)
{
    GpRect whole(0, 0, width, height);
    BitmapData locked = {};
    if (GdipBitmapLockBits(bitmap, &whole, ImageLockModeRead, wanted, &locked) != Ok)
        return false;
    const std::uint8_t* source = static_cast<const std::uint8_t*>(locked.Scan0);
    for (int y = 0; y < height; ++y, source += locked.Stride, row += pitch)
        std::memcpy(row, source, static_cast<std::size_t>(bytesPerRow));
    GdipBitmapUnlockBits(bitmap, &locked);
    return true;
}

bool WidenIndexedRows(GpBitmap* bitmap, int width, int height, PixelFormat format, std::uint8_t* row, int pitch)
{
    GpRect whole(0, 0, width, height);
    BitmapData locked = {};
    if (GdipBitmapLockBits(bitmap, &whole, ImageLockModeRead, format, &locked) != Ok)
        return false;
    const int bits = format == PixelFormat1bppIndexed ? 1 : 4;
    const int mask = (1 << bits) - 1;
    const std::uint8_t* source = static_cast<const std::uint8_t*>(locked.Scan0);
    for (int y = 0; y < height; ++y, source += locked.Stride, row += pitch) {
        for (int x = 0; x < width; ++x) {
            const int bit = x * bits;
            row[x] = static_cast<std::uint8_t>((source[bit / 8] >> (8 - bits - bit % 8)) & mask);
        }
    }
    GdipBitmapUnlockBits(bitmap, &locked);
    return true;
}

bool CopyPalette(GpBitmap* bitmap, DecodeTarget* target)
{
    INT size = 0;
    if (GdipGetImagePaletteSize(bitmap, &size) != Ok || size < static_cast<INT>(sizeof(ColorPalette)))
        return false;
    ColorPalette* palette = static_cast<ColorPalette*>(::operator new(static_cast<std::size_t>(size), std::nothrow));
    if (palette == nullptr)
        return false;
    bool copied = false;
    if (GdipGetImagePalette(bitmap, palette, size) == Ok) {
        PaletteColour entries[256];
        const UINT count = palette->Count < 256 ? palette->Count : 256;
        for (UINT i = 0; i < count; ++i) {
            const ARGB colour = palette->Entries[i];
            entries[i].red = static_cast<std::uint8_t>(colour >> 16);
            entries[i].green = static_cast<std::uint8_t>(colour >> 8);
            entries[i].blue = static_cast<std::uint8_t>(colour);
        }
        target->SetColourTable(entries, static_cast<int>(count));
        copied = true;
    }
    ::operator delete(palette);
    return copied;
}

// 8-bit indexed pictures stay indexed, 24-bit ones keep their depth, pictures with an
// alpha channel become 32 bits with alpha, everything else 32 bits with the fourth byte 0.
PictureFailure ConvertIntoTarget(GpBitmap* bitmap, std::int64_t maxPixels, DecodeTarget* target)
{
    PixelFormat format = 0;
    UINT width = 0;
    UINT height = 0;
    if (GdipGetImagePixelFormat(bitmap, &format) != Ok || GdipGetImageWidth(bitmap, &width) != Ok ||
        GdipGetImageHeight(bitmap, &height) != Ok || width == 0 || height == 0 || width > 0x7FFFFFFF / 4 ||
        height > 0x7FFFFFFF)
        return PictureFailure::Damaged;
    if (static_cast<std::int64_t>(width) * height > maxPixels)
        return PictureFailure::TooLarge;
    PixelFormat wanted = PixelFormat32bppRGB;
    int bitsPerPixel = 32;
    const bool hasAlpha = (format & PixelFormatAlpha) != 0;
    if (hasAlpha) {
        wanted = PixelFormat32bppARGB;
    } else if (format == PixelFormat8bppIndexed || format == PixelFormat4bppIndexed ||
               format == PixelFormat1bppIndexed) {
        wanted = format;
        bitsPerPixel = 8;
    } else if (format == PixelFormat24bppRGB) {
        wanted = format;
        bitsPerPixel = 24;
    }
    // GDI+ may widen what the file holds (run lengths to 32 bits): the bound is the portable one.
    const std::int64_t rowBytes = ((static_cast<std::int64_t>(bitsPerPixel) * width + 31) / 32) * 4;
    if (rowBytes * height > kMaxDecodedBytes)
        return PictureFailure::TooLarge;
    std::uint8_t* row = nullptr;
    int pitch = 0;
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    if (!target->Allocate(w, h, bitsPerPixel, hasAlpha, &row, &pitch))
        return PictureFailure::Damaged;
    if (bitsPerPixel == 8 && !CopyPalette(bitmap, target))
        return PictureFailure::Damaged;
    if (wanted != PixelFormat8bppIndexed && (wanted & PixelFormatIndexed) != 0) {
        // 1 and 4 bits a pixel become one byte a pixel, the colour table unchanged.
        if (!WidenIndexedRows(bitmap, w, h, wanted, row, pitch))
            return PictureFailure::Damaged;
    } else if (!CopyRows(bitmap, w, h, wanted, w * (bitsPerPixel / 8), row, pitch)) {
        return PictureFailure::Damaged;
    }
    if (wanted == PixelFormat32bppRGB) {
        // GDI+ leaves the unused byte as it likes; the holder's rule is 0.
        for (int y = 0; y < h; ++y, row += pitch) {
            for (int x = 0; x < w; ++x)
                row[x * 4 + 3] = 0;
        }
    }
    return PictureFailure::None;
}

}  // namespace

bool StartImageDecoder()
{
    GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    ULONG_PTR token = 0;
    if (GdiplusStartup(&token, &input, nullptr) != Ok)
        return false;
    gdiplusToken = token;
    return true;
}

void StopImageDecoder()
{
    if (gdiplusToken != 0)
        GdiplusShutdown(gdiplusToken);
    gdiplusToken = 0;
}

bool ProbeImageFile(const char* path, int* width, int* height)
{
    const MappedPictureFile file(path);
    if (file.Failure() != PictureFailure::None)
        return false;
    PictureHeader header;
    const PictureVerdict verdict = InspectPicture(file.Bytes(), file.Size(), true, &header);
    if (verdict != PictureVerdict::Accepted && verdict != PictureVerdict::TooLarge)
        return false;
    *width = static_cast<int>(header.width < 0x7FFFFFFF ? header.width : 0x7FFFFFFF);
    *height = static_cast<int>(header.height < 0x7FFFFFFF ? header.height : 0x7FFFFFFF);
    return true;
}

PictureFailure DecodeImageFile(const char* path, std::int64_t maxPixels, DecodeTarget* target)
{
    MappedPictureFile file(path);
    if (file.Failure() != PictureFailure::None)
        return file.Failure();
    // GDI+ also opens TIFF, icons and metafiles, whatever the file is called: only the
    // four formats, within the bounds, ever reach a decoder, and from the bytes inspected.
    PictureHeader header;
    const PictureVerdict verdict = InspectPicture(file.Bytes(), file.Size(), true, &header);
    if (verdict != PictureVerdict::Accepted)
        return FailureOf(verdict);
    if (ScaledSide(header.width, header.scaleDenominator) * ScaledSide(header.height, header.scaleDenominator) >
        maxPixels)
        return PictureFailure::TooLarge;
    if (header.format == PictureFormat::Jpeg) {
        target->SetOrientation(ReadJpegOrientation(file.Bytes(), file.Size()));
        return ReadJpeg(file.Bytes(), file.Size(), header, target) ? PictureFailure::None : PictureFailure::Damaged;
    }

    // GDI+ takes the other formats from a stream on a copy in movable global memory.
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, file.Size());
    void* copy = memory != nullptr ? GlobalLock(memory) : nullptr;
    if (copy == nullptr) {
        if (memory != nullptr)
            GlobalFree(memory);
        return PictureFailure::TooLarge;
    }
    std::memcpy(copy, file.Bytes(), file.Size());
    GlobalUnlock(memory);
    file.Close();
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) {
        GlobalFree(memory);
        return PictureFailure::Damaged;
    }
    GpBitmap* bitmap = nullptr;
    PictureFailure result = PictureFailure::Damaged;
    if (GdipCreateBitmapFromStream(stream, &bitmap) == Ok && bitmap != nullptr)
        result = ConvertIntoTarget(bitmap, maxPixels, target);
    if (bitmap != nullptr)
        GdipDisposeImage(bitmap);
    stream->Release();  // frees the memory too
    return result;
}

// GDI's halftone stretch, which takes over a second for a 3-megapixel picture under Wine:
// whole blocks come first, so it only finishes a reduction of less than two.
bool FilterBgr24(const std::uint8_t* source, int sourceStride, int sourceWidth, int sourceHeight,
                 std::uint8_t* target, int targetStride, int targetWidth, int targetHeight)
{
    SelectedDib from(sourceWidth, sourceHeight);
    SelectedDib to(targetWidth, targetHeight);
    if (!from.Ready() || !to.Ready())
        return false;
    for (int y = 0; y < sourceHeight; ++y)
        std::memcpy(from.Row(y), source + static_cast<std::ptrdiff_t>(y) * sourceStride,
                    static_cast<std::size_t>(sourceWidth) * 3);
    SetStretchBltMode(to.Context(), HALFTONE);
    SetBrushOrgEx(to.Context(), 0, 0, nullptr);
    const bool drawn = StretchBlt(to.Context(), 0, 0, targetWidth, targetHeight, from.Context(), 0, 0, sourceWidth,
                                  sourceHeight, SRCCOPY) != 0;
    GdiFlush();
    if (!drawn)
        return false;
    for (int y = 0; y < targetHeight; ++y)
        std::memcpy(target + static_cast<std::ptrdiff_t>(y) * targetStride, to.Row(y),
                    static_cast<std::size_t>(targetWidth) * 3);
    return true;
}

}  // namespace platform
