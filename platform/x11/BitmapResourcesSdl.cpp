#include <SDL.h>

#include <cstring>

#include "platform/BitmapResources.h"
#include "platform/Resources.h"

namespace platform {

bool LoadBitmapResource(int id, BgrxBitmap* out)
{
    ResourceBytes bytes;
    if (!FindResourceBytes("Bitmap", id, &bytes))
        return false;
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data, static_cast<int>(bytes.size));
    if (stream == nullptr)
        return false;
    SDL_Surface* loaded = SDL_LoadBMP_RW(stream, 1);
    if (loaded == nullptr)
        return false;
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_BGRA32, 0);
    SDL_FreeSurface(loaded);
    if (converted == nullptr)
        return false;
    out->width = converted->w;
    out->height = converted->h;
    out->pixels.resize(static_cast<std::size_t>(converted->w) * converted->h * 4);
    SDL_LockSurface(converted);
    for (int row = 0; row < converted->h; ++row) {
        const std::uint8_t* source = static_cast<const std::uint8_t*>(converted->pixels) + row * converted->pitch;
        std::uint8_t* target = out->pixels.data() + static_cast<std::size_t>(row) * converted->w * 4;
        std::memcpy(target, source, static_cast<std::size_t>(converted->w) * 4);
        for (int x = 0; x < converted->w; ++x)
            target[x * 4 + 3] = 0;
    }
    SDL_UnlockSurface(converted);
    SDL_FreeSurface(converted);
    return true;
}

}  // namespace platform
