#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "settings/CImage.h"
#include "settings/PictureEntry.h"

// The picture files of a collection, expanded once from its entries, with a current
// position and the decoded current picture.
class PictureSequence {
public:
    // Expands the entries (folders with their subfolders) for at most budgetSeconds, and
    // stops early as soon as *stopFlag becomes non-zero (when given).
    PictureSequence(const std::list<PictureEntry>& entries, std::int64_t budgetSeconds,
                    const std::atomic<int>* stopFlag = nullptr);
    PictureSequence(const PictureSequence&) = delete;
    PictureSequence& operator=(const PictureSequence&) = delete;

    // Whether the path names a picture by its extension: jpg, jpeg, gif, bmp or png.
    static bool IsPicturePath(const std::string& path);

    unsigned PictureCount() const { return static_cast<unsigned>(files_.size()); }
    // The picture at the current position, decoded on the first call; null when there
    // is none or it cannot be decoded (the next call tries the same file again).
    CImage* CurrentImage();
    // With 3 to 20 pictures one step forward; with more, a random step (one rand draw).
    void Advance();
    // The rule of Advance for more than 20 pictures with a given draw (0 ... 32767).
    void AdvanceWithDraw(unsigned draw);
    // One step forward whatever the count, wrapping: passing over a picture that does
    // not decode.
    void StepForward();

    const std::vector<std::string>& Files() const { return files_; }
    // Empty when there are no files.
    std::string CurrentPath() const { return files_.empty() ? std::string() : files_[current_]; }
    std::size_t CurrentIndex() const { return current_; }

private:
    void Expand(const std::list<PictureEntry>& entries, std::int64_t budgetSeconds,
                const std::atomic<int>* stopFlag);
    void MoveForward(std::size_t steps);

    std::vector<std::string> files_;
    std::size_t current_ = 0;
    CImage image_;
    bool imageValid_ = false;
};
