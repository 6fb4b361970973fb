#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

// Folder enumeration and file identity (the directory API here, FindFirstFile on
// Windows).
namespace platform {

// The separator put between a folder path and an item name.
extern const char kPathSeparator;

struct FolderItem {
    std::string name;
    bool isFolder = false;  // links are followed: a link to a folder is a folder
};

// The folders and plain files of a folder (not "." and ".."), in the order the system
// gives them. Items that vanish, links that lead nowhere, pipes and devices are left out. False (items empty)
// when the folder cannot be read.
bool ListFolder(const std::string& path, std::vector<FolderItem>* items);

// What makes a folder the same folder whatever path leads to it (links included).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t node = 0;
    // Where the system's node numbers cannot tell folders apart, the path the system
    // resolves the folder to, as an opaque key (node is then 0); empty otherwise.
    std::string path;

    bool operator<(const FileIdentity& other) const
    {
        return std::tie(device, node, path) < std::tie(other.device, other.node, other.path);
    }
    bool operator==(const FileIdentity& other) const
    {
        return device == other.device && node == other.node && path == other.path;
    }
};

// False when the path does not exist or cannot be examined.
bool IdentifyFile(const std::string& path, FileIdentity* identity);

}  // namespace platform
