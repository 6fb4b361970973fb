// Placeholder until Windows folder enumeration arrives: no folder can be read.
#include "platform/FileSystem.h"

namespace platform {

const char kPathSeparator = '\\';

bool ListFolder(const std::string&, std::vector<FolderItem>* items)
{
    items->clear();
    return false;
}

bool IdentifyFile(const std::string&, FileIdentity*) { return false; }

}  // namespace platform
