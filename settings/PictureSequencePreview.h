#pragma once

#include <atomic>
#include <memory>

#include "settings/PictureEntry.h"
#include "settings/PictureSequence.h"
#include "settings/PreviewPictures.h"

// The preview's pictures taken from a PictureSequence of one collection entry.
class PictureSequencePreview : public PreviewPictures {
public:
    // Expands the entry within budgetSeconds; gives up early once cancelled is set.
    static std::unique_ptr<PreviewPictures> Build(const PictureEntry& entry, int budgetSeconds,
                                                  const std::atomic<int>& cancelled);

    PictureSequencePreview(const PictureEntry& entry, int budgetSeconds, const std::atomic<int>& cancelled);

    unsigned PictureCount() const override { return sequence_.PictureCount(); }
    void Advance() override { sequence_.Advance(); }
    bool CurrentPictureSize(int* width, int* height) override;
    bool StretchCurrentPicture(int width, int height, platform::BgrxBitmap* out) override;

private:
    PictureSequence sequence_;
};
