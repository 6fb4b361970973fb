#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ImageDecoder.h"
#include "platform/PictureFormat.h"

namespace platform {

// JPEG through libjpeg (libjpeg-turbo), on every platform: it decodes at the reduced
// scale InspectPicture chose, which no system decoder offers everywhere. Fed the whole
// file from memory, after InspectPicture has accepted it; writes nothing to stderr and
// treats the end of the data as an error.
bool ReadJpeg(const std::uint8_t* bytes, std::size_t size, const PictureHeader& header, DecodeTarget* target);

}  // namespace platform
