#include "settings/PictureSequence.h"

#include <set>

#include "app/ProcessObjects.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "render/VectorMath.h"

PictureSequence::PictureSequence(const std::list<PictureEntry>& entries, std::int64_t budgetSeconds,
                                 const std::atomic<int>* stopFlag)
{
    Expand(entries, budgetSeconds, stopFlag);
    current_ = 0;
    imageValid_ = false;
}

bool PictureSequence::IsPicturePath(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return extension == "jpg" || extension == "jpeg" || extension == "gif" || extension == "bmp" ||
           extension == "png";
}

void PictureSequence::Expand(const std::list<PictureEntry>& entries, std::int64_t budgetSeconds,
                             const std::atomic<int>* stopFlag)
{
    // A stack: the last entry is expanded first, so the files come out in reverse.
    std::vector<PictureEntry> work(entries.begin(), entries.end());
    // Folders already expanded, by identity: a link back into a folder being expanded
    // (or a second way into one already done) is not followed again.
    std::set<platform::FileIdentity> visited;
    std::vector<platform::FolderItem> items;
    const std::int64_t start = platform::CalendarSeconds();
    while (!work.empty() && platform::CalendarSeconds() < start + budgetSeconds) {
        if (stopFlag != nullptr && stopFlag->load(std::memory_order_relaxed) != 0)
            break;
        PictureEntry entry = std::move(work.back());
        work.pop_back();
        if (entry.kind == PictureEntry::Kind::File) {
            if (IsPicturePath(entry.path))
                files_.push_back(std::move(entry.path));
            continue;
        }
        platform::FileIdentity identity;
        if (!platform::IdentifyFile(entry.path, &identity) || !visited.insert(identity).second)
            continue;
        if (!platform::ListFolder(entry.path, &items))
            continue;
        // A folder given with its separator at the end (a drive's root) takes no second one.
        std::string prefix = entry.path;
        if (prefix.empty() || prefix.back() != platform::kPathSeparator)
            prefix += platform::kPathSeparator;
        for (platform::FolderItem& item : items) {
            if (item.isFolder && item.name[0] == '.')
                continue;
            PictureEntry found;
            found.path = prefix + item.name;
            found.kind = item.isFolder ? PictureEntry::Kind::Folder : PictureEntry::Kind::File;
            work.push_back(std::move(found));
        }
    }
}

CImage* PictureSequence::CurrentImage()
{
    if (files_.empty())
        return nullptr;
    if (imageValid_)
        return &image_;
    image_.Destroy();
    if (image_.Load(files_[current_].c_str()) != CImage::kResultOk) {
        TheEventLog.WritePictureNotShown(files_[current_], PictureFailureText(image_.LoadFailure()));
        return nullptr;
    }
    imageValid_ = true;
    return &image_;
}

void PictureSequence::MoveForward(std::size_t steps)
{
    current_ = (current_ + steps) % files_.size();
}

void PictureSequence::Advance()
{
    const unsigned n = PictureCount();
    if (n <= 2)
        return;
    if (n <= 20) {
        MoveForward(1);
        imageValid_ = false;
        return;
    }
    AdvanceWithDraw(static_cast<unsigned>(RandomDraw()));
}

void PictureSequence::AdvanceWithDraw(unsigned draw)
{
    const unsigned n = PictureCount();
    if (n == 0)
        return;
    // In 64 bits: the 32-bit product overflows beyond 131,074 pictures.
    const std::uint64_t k = (static_cast<std::uint64_t>(draw) * (n - 1)) / 32767u;
    MoveForward(static_cast<std::size_t>(k));
    imageValid_ = false;
}

void PictureSequence::StepForward()
{
    if (files_.empty())
        return;
    MoveForward(1);
    imageValid_ = false;
}
