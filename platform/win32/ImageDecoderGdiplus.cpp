#include "platform/ImageDecoder.h"

#include <windows.h>
// GDI+ needs the COM declarations that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include <atomic>
#include <cstring>
#include <new>

#include "platform/ExifOrientation.h"
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

// The whole file in movable global memory, ready to become a stream: read through one
// handle that is checked to be a file on a disk no larger than kMaxPictureFileBytes.
// Null for anything else.
HGLOBAL ReadPictureFile(const char* path, std::size_t* size)
{
    if (path == nullptr)
        return nullptr;
    const std::wstring wide = win32::WidePath(path);
    if (wide.empty())
        return nullptr;
    const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER length = {};
    HGLOBAL memory = nullptr;
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &length) && length.QuadPart > 0 &&
        length.QuadPart <= kMaxPictureFileBytes)
        memory = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(length.QuadPart));
    bool complete = false;
    if (memory != nullptr) {
        auto* bytes = static_cast<std::uint8_t*>(GlobalLock(memory));
        const DWORD wanted = static_cast<DWORD>(length.QuadPart);
        DWORD done = 0;
        // A file that grows meanwhile is read only as far as it reached when opened.
        while (bytes != nullptr && done < wanted) {
            DWORD got = 0;
            if (!ReadFile(file, bytes + done, wanted - done, &got, nullptr) || got == 0)
                break;
            done += got;
        }
        complete = bytes != nullptr && done == wanted;
        if (bytes != nullptr)
            GlobalUnlock(memory);
        *size = done;
    }
    CloseHandle(file);
    if (!complete && memory != nullptr) {
        GlobalFree(memory);
        memory = nullptr;
    }
    return memory;
}

// InspectPicture on the file held in memory.
PictureVerdict Inspect(HGLOBAL memory, std::size_t size, PictureHeader* header)
{
    const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(memory));
    if (bytes == nullptr)
        return PictureVerdict::Damaged;
    // GDI+ decodes every picture at its full size, so the bounds apply to that size.
    const PictureVerdict verdict = InspectPicture(bytes, size, false, header);
    GlobalUnlock(memory);
    return verdict;
}

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
int ConvertIntoTarget(GpBitmap* bitmap, std::int64_t maxPixels, DecodeTarget* target)
{
    PixelFormat format = 0;
    UINT width = 0;
    UINT height = 0;
    if (GdipGetImagePixelFormat(bitmap, &format) != Ok || GdipGetImageWidth(bitmap, &width) != Ok ||
        GdipGetImageHeight(bitmap, &height) != Ok || width == 0 || height == 0 || width > 0x7FFFFFFF / 4 ||
        height > 0x7FFFFFFF || static_cast<std::int64_t>(width) * height > maxPixels)
        return 1;
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
        return 1;
    std::uint8_t* row = nullptr;
    int pitch = 0;
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    if (!target->Allocate(w, h, bitsPerPixel, hasAlpha, &row, &pitch))
        return 1;
    if (bitsPerPixel == 8 && !CopyPalette(bitmap, target))
        return 1;
    if (wanted != PixelFormat8bppIndexed && (wanted & PixelFormatIndexed) != 0) {
        // 1 and 4 bits a pixel become one byte a pixel, the colour table unchanged.
        if (!WidenIndexedRows(bitmap, w, h, wanted, row, pitch))
            return 1;
    } else if (!CopyRows(bitmap, w, h, wanted, w * (bitsPerPixel / 8), row, pitch)) {
        return 1;
    }
    if (wanted == PixelFormat32bppRGB) {
        // GDI+ leaves the unused byte as it likes; the holder's rule is 0.
        for (int y = 0; y < h; ++y, row += pitch) {
            for (int x = 0; x < w; ++x)
                row[x * 4 + 3] = 0;
        }
    }
    return 0;
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
    std::size_t size = 0;
    const HGLOBAL memory = ReadPictureFile(path, &size);
    if (memory == nullptr)
        return false;
    PictureHeader header;
    const PictureVerdict verdict = Inspect(memory, size, &header);
    GlobalFree(memory);
    if (verdict != PictureVerdict::Accepted && verdict != PictureVerdict::TooLarge)
        return false;
    *width = static_cast<int>(header.width < 0x7FFFFFFF ? header.width : 0x7FFFFFFF);
    *height = static_cast<int>(header.height < 0x7FFFFFFF ? header.height : 0x7FFFFFFF);
    return true;
}

int DecodeImageFile(const char* path, std::int64_t maxPixels, DecodeTarget* target)
{
    std::size_t size = 0;
    HGLOBAL memory = ReadPictureFile(path, &size);
    if (memory == nullptr)
        return 1;
    // GDI+ also opens TIFF, icons and metafiles, whatever the file is called: only the
    // four formats, within the bounds, ever reach it, and from the bytes inspected.
    PictureHeader header;
    if (Inspect(memory, size, &header) != PictureVerdict::Accepted || header.width * header.height > maxPixels) {
        GlobalFree(memory);
        return 1;
    }
    if (header.format == PictureFormat::Jpeg) {
        // GDI+ leaves the rows as stored.
        const void* bytes = GlobalLock(memory);
        if (bytes != nullptr) {
            target->SetOrientation(ReadJpegOrientation(static_cast<const std::uint8_t*>(bytes), size));
            GlobalUnlock(memory);
        }
    }
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) {
        GlobalFree(memory);
        return 1;
    }
    GpBitmap* bitmap = nullptr;
    int result = 1;
    if (GdipCreateBitmapFromStream(stream, &bitmap) == Ok && bitmap != nullptr)
        result = ConvertIntoTarget(bitmap, maxPixels, target);
    if (bitmap != nullptr)
        GdipDisposeImage(bitmap);
    stream->Release();  // frees the memory too
    return result;
}

bool ResampleBgr24(const std::uint8_t* source, int sourceStride, int sourceWidth, int sourceHeight,
                   std::uint8_t* target, int targetStride, int targetWidth, int targetHeight)
{
    if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0)
        return false;
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
