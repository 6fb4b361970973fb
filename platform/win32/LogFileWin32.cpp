#include "platform/LogFile.h"

namespace platform {

// Text mode, so that every record ends with a carriage return and a line feed.
std::FILE* CreateLogFile(const std::string& path)
{
    if (path.empty())
        return nullptr;
    return std::fopen(path.c_str(), "w");
}

// The Windows saver keeps its log beside the executable only.
std::string UserStateFolder() { return std::string(); }

}  // namespace platform
