#pragma once

#include "platform/BitmapResources.h"

// The pictures of one collection entry as the Image Library's preview shows them: a
// sequence that advances and decodes its current picture on demand.
class PreviewPictures {
public:
    virtual ~PreviewPictures() = default;

    virtual unsigned PictureCount() const = 0;
    virtual void Advance() = 0;
    // Decodes the current picture when needed; false when there is none or it cannot be
    // decoded.
    virtual bool CurrentPictureSize(int* width, int* height) = 0;
    // The whole current picture stretched into width x height pixels.
    virtual bool StretchCurrentPicture(int width, int height, platform::BgrxBitmap* out) = 0;
};
