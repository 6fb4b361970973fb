#pragma once

#include <string>

// One item of the picture collection: a single picture file, or a folder whose
// pictures (subfolders included) all belong to the collection.
struct PictureEntry {
    enum class Kind { File, Folder };

    std::string path;
    Kind kind = Kind::File;

    bool operator==(const PictureEntry& other) const { return path == other.path && kind == other.kind; }
};
