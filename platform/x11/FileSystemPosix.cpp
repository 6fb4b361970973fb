#include "platform/FileSystem.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

namespace platform {

const char kPathSeparator = '/';

bool ListFolder(const std::string& path, std::vector<FolderItem>* items)
{
    items->clear();
    DIR* folder = opendir(path.c_str());
    if (folder == nullptr)
        return false;
    std::string itemPath;
    while (const dirent* entry = readdir(folder)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        FolderItem item;
        item.name = entry->d_name;
        if (entry->d_type == DT_DIR) {
            item.isFolder = true;
        } else if (entry->d_type == DT_REG) {
            item.isFolder = false;
        } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // Links, and file systems that give no type: ask, and drop what no longer
            // resolves or is neither a folder nor a plain file.
            itemPath.assign(path).append(1, kPathSeparator).append(entry->d_name);
            struct stat status;
            if (stat(itemPath.c_str(), &status) != 0 || !(S_ISDIR(status.st_mode) || S_ISREG(status.st_mode)))
                continue;
            item.isFolder = S_ISDIR(status.st_mode);
        } else {
            continue;  // pipes, sockets and devices are never pictures
        }
        items->push_back(std::move(item));
    }
    closedir(folder);
    return true;
}

bool IdentifyFile(const std::string& path, FileIdentity* identity)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return false;
    identity->device = static_cast<std::uint64_t>(status.st_dev);
    identity->node = static_cast<std::uint64_t>(status.st_ino);
    return true;
}

}  // namespace platform
