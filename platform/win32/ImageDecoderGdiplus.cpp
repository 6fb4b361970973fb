// Placeholder until GDI+ decoding arrives: no picture file is recognised.
#include "platform/ImageDecoder.h"

namespace platform {

bool StartImageDecoder() { return true; }

void StopImageDecoder() {}

int DecodeImageFile(const char*, std::int64_t, DecodeTarget*) { return 1; }

bool ProbeImageFile(const char*, int*, int*) { return false; }

bool ResampleBgr24(const std::uint8_t*, int, int, int, std::uint8_t*, int, int, int) { return false; }

}  // namespace platform
