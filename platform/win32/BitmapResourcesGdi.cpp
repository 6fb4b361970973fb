// Bitmap resources through GDI, which reads every depth a resource may have.
#include <windows.h>

#include "platform/BitmapResources.h"

namespace platform {

bool LoadBitmapResource(int id, BgrxBitmap* out)
{
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr)
        return false;
    BITMAP info;
    bool loaded = false;
    if (GetObjectW(bitmap, sizeof info, &info) == sizeof info && info.bmWidth > 0 && info.bmHeight > 0) {
        BITMAPINFO format;
        ZeroMemory(&format, sizeof format);
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = info.bmWidth;
        format.bmiHeader.biHeight = -info.bmHeight;  // top row first
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        out->width = info.bmWidth;
        out->height = info.bmHeight;
        out->pixels.assign(static_cast<std::size_t>(info.bmWidth) * info.bmHeight * 4, 0);
        HDC screen = GetDC(nullptr);
        loaded = GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), out->pixels.data(), &format,
                           DIB_RGB_COLORS) == info.bmHeight;
        ReleaseDC(nullptr, screen);
        for (std::size_t i = 3; i < out->pixels.size(); i += 4)
            out->pixels[i] = 0;
    }
    DeleteObject(bitmap);
    if (!loaded) {
        out->width = out->height = 0;
        out->pixels.clear();
    }
    return loaded;
}

}  // namespace platform
