#include "settings/StoredOptionsParameter_paths.h"

#include <cstring>

int StoredOptionsParameter_paths::LoadFromText(const char* text)
{
    entries_.clear();
    const char* segment = text;
    while (*segment != '\0') {
        const char* end = std::strchr(segment, ';');
        const std::size_t length = end == nullptr ? std::strlen(segment) : static_cast<std::size_t>(end - segment);
        if (length > 0) {
            PictureEntry entry;
            entry.kind = segment[0] == '2' ? PictureEntry::Kind::File : PictureEntry::Kind::Folder;
            entry.path.assign(segment + 1, length - 1);
            entries_.push_back(entry);
        }
        if (end == nullptr)
            break;
        segment = end + 1;
    }
    return 0;
}

int StoredOptionsParameter_paths::SaveToText(std::string* text) const
{
    text->clear();
    for (const PictureEntry& entry : entries_) {
        if (!text->empty())
            text->push_back(';');
        text->push_back(entry.kind == PictureEntry::Kind::File ? '2' : '1');
        text->append(entry.path);
    }
    return 0;
}

std::size_t StoredOptionsParameter_paths::TotalLength() const
{
    std::size_t total = 0;
    for (const PictureEntry& entry : entries_)
        total += entry.path.size() + 1;
    return total;
}

int StoredOptionsParameter_paths::AddPath(const PictureEntry& entry)
{
    if (TotalLength() + entry.path.size() + 1 > kMaxTotalLength)
        return 1;
    entries_.push_back(entry);
    return 0;
}
