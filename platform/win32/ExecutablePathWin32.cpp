#include <windows.h>

#include <vector>

#include "platform/ExecutablePath.h"

namespace platform {

std::string ExecutablePath()
{
    // 8-bit, as the C library's fopen takes it. A full buffer means the path was cut:
    // grow until it fits.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::string();
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        if (buffer.size() >= 32768)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace platform
