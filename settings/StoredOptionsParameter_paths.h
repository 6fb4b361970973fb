#pragma once

#include <list>

#include "settings/PictureEntry.h"
#include "settings/StoredOptionsParameter.h"

// The picture collection, stored as its entries separated by ";", each a type
// character ("2" file, "1" folder) followed by the path.
class StoredOptionsParameter_paths : public StoredOptionsParameter {
public:
    using Entries = std::list<PictureEntry>;

    explicit StoredOptionsParameter_paths(const char* name) : StoredOptionsParameter(name) {}

    // Accepts a text of any length; the collection's size limit applies only to AddPath.
    int LoadFromText(const char* text) override;
    int SaveToText(std::string* text) const override;
    void ResetToDefault() override { entries_.clear(); }

    const Entries& GetEntries() const { return entries_; }
    Entries& GetEntries() { return entries_; }
    void Clear() { entries_.clear(); }

    // The sum over all entries of (path length + 1) stays at or below this.
    static constexpr std::size_t kMaxTotalLength = 2047;
    // Appends the entry and returns 0, or returns 1 and changes nothing when the
    // collection would exceed kMaxTotalLength.
    int AddPath(const PictureEntry& entry);
    std::size_t TotalLength() const;

private:
    Entries entries_;
};
