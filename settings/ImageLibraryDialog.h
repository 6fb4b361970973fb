#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "settings/PictureEntry.h"
#include "settings/PreviewPictures.h"
#include "settings/StoredOptionsParameter_paths.h"

// What the Image Library dialog does: its list holds the edited collection, sorted by
// path; "Accept" replaces the collection in memory (unless it grows too long); the
// preview shows the pictures of the focused item and moves on every two seconds.
//
// Expanding a focused folder can take long, so it runs on a worker thread: the preview
// shows "No image" until the pictures are ready, and moving the focus on or closing the
// dialog cancels it.
class ImageLibraryDialog : public platform::ImageLibraryDialogHandler {
public:
    using Preview = std::unique_ptr<PreviewPictures>;
    // Builds the preview of one entry on a worker thread; may give up once cancelled is set.
    using PreviewBuilder = std::function<Preview(const PictureEntry& entry, const std::atomic<int>& cancelled)>;
    // Runs work, normally on a thread of its own.
    using WorkStarter = std::function<void(std::function<void()> work)>;

    static constexpr int kTimerId = 0;
    static constexpr unsigned kTimerPeriodMs = 2000;
    static constexpr int kPreviewBudgetSeconds = 2000;
    static constexpr const char* kTitle = "Image Library";
    static constexpr const char* kTooLongText = "Your collection is too long.\nPlease, decrease it.";
    static constexpr const char* kNoImageText = "No image";

    // The preview slot outlives the dialog (see ProcessPreview).
    ImageLibraryDialog(StoredOptionsParameter_paths& collection, Preview& preview);
    ImageLibraryDialog(StoredOptionsParameter_paths& collection, Preview& preview, PreviewBuilder builder,
                       WorkStarter starter);
    ~ImageLibraryDialog();

    ImageLibraryDialog(const ImageLibraryDialog&) = delete;
    ImageLibraryDialog& operator=(const ImageLibraryDialog&) = delete;

    void OnInit(platform::ImageLibraryDialogView& view) override;
    void OnPaintPreview(int width, int height, platform::PreviewFrame* frame) override;
    void OnTimer(int id) override;
    void OnClose() override;
    void OnItemFocusChanged(int index, bool focused) override;
    void OnCommand(int controlId) override;
    void OnWake() override;
    void OnDestroy() override;

    // The list's items in display order.
    const std::vector<PictureEntry>& Items() const { return items_; }
    // A focused item's pictures are still being gathered.
    bool PreviewPending() const { return job_ != nullptr; }

    // The process's preview: it belongs to the process, not to one opening of the dialog,
    // so a reopened dialog still shows the pictures of the item focused last.
    static Preview& ProcessPreview();

    // The list's order: by path as the system's sorted lists order texts, then byte-wise.
    static bool ComesBefore(const std::string& a, const std::string& b);

    // Where a picture of width x height goes in an area of areaWidth x areaHeight: fitted by
    // its aspect ratio and centred. Writes left, top, right and bottom.
    static void FitPicture(int width, int height, int areaWidth, int areaHeight, int* left, int* top, int* right,
                           int* bottom);

private:
    struct Expansion;

    void FillList();
    void InsertItem(const PictureEntry& entry);
    void AddChosenPaths(const std::vector<std::string>& paths, PictureEntry::Kind kind);
    void RemoveSelectedItems();
    void Accept();
    void DestroyPreview();
    void StartExpansion(const PictureEntry& entry);
    void CancelExpansion();
    void CollectExpansion();

    StoredOptionsParameter_paths& collection_;
    Preview& preview_;
    PreviewBuilder builder_;
    WorkStarter starter_;
    platform::ImageLibraryDialogView* view_ = nullptr;
    std::vector<PictureEntry> items_;
    std::shared_ptr<Expansion> job_;

    // The current picture stretched for the last paint, kept while nothing changes.
    unsigned pictureGeneration_ = 0;
    bool stretchedValid_ = false;
    unsigned stretchedGeneration_ = 0;
    platform::BgrxBitmap stretched_;
};
