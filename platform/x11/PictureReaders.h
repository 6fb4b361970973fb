#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/ImageDecoder.h"
#include "platform/JpegReader.h"
#include "platform/PictureFormat.h"

// The format libraries, each fed a whole file from memory that InspectPicture has
// accepted. They write nothing to stderr and treat the end of the data as an error.
namespace platform {

// The file's bytes, read from one descriptor opened without blocking and checked to be
// a plain file no larger than kMaxPictureFileBytes. Why not, for anything else.
PictureFailure ReadPictureFile(const char* path, std::vector<std::uint8_t>* bytes);

bool ReadPng(const std::uint8_t* bytes, std::size_t size, const PictureHeader& header, DecodeTarget* target);
bool ReadGif(const std::uint8_t* bytes, std::size_t size, const PictureHeader& header, DecodeTarget* target);

}  // namespace platform
