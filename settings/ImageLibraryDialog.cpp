#include "settings/ImageLibraryDialog.h"

#include <algorithm>
#include <mutex>
#include <thread>

#include "platform/Collation.h"
#include "settings/PictureSequencePreview.h"

// A focused item's pictures being gathered on a worker thread. The worker keeps its own
// reference, so a cancelled expansion may finish after the dialog has gone.
struct ImageLibraryDialog::Expansion {
    std::atomic<int> cancelled{0};
    std::mutex mutex;
    bool done = false;                                  // guarded by mutex
    Preview result;                                     // guarded by mutex
    platform::ImageLibraryDialogView* wake = nullptr;   // guarded by mutex; null once cancelled
};

namespace {

constexpr platform::Rgb kPreviewBackground{150, 150, 150};
constexpr platform::Rgb kNoImageColour{120, 120, 120};

}  // namespace

ImageLibraryDialog::ImageLibraryDialog(StoredOptionsParameter_paths& collection, Preview& preview)
    : ImageLibraryDialog(
          collection, preview,
          [](const PictureEntry& entry, const std::atomic<int>& cancelled) {
              return PictureSequencePreview::Build(entry, kPreviewBudgetSeconds, cancelled);
          },
          [](std::function<void()> work) { std::thread(std::move(work)).detach(); })
{
}

ImageLibraryDialog::ImageLibraryDialog(StoredOptionsParameter_paths& collection, Preview& preview,
                                       PreviewBuilder builder, WorkStarter starter)
    : collection_(collection), preview_(preview), builder_(std::move(builder)), starter_(std::move(starter))
{
}

ImageLibraryDialog::~ImageLibraryDialog() { CancelExpansion(); }

ImageLibraryDialog::Preview& ImageLibraryDialog::ProcessPreview()
{
    static Preview preview;
    return preview;
}

bool ImageLibraryDialog::ComesBefore(const std::string& a, const std::string& b)
{
    const int order = platform::CollateForList(a, b);
    return order != 0 ? order < 0 : a < b;
}

void ImageLibraryDialog::FitPicture(int width, int height, int areaWidth, int areaHeight, int* left, int* top,
                                    int* right, int* bottom)
{
    *left = 0;
    *top = 0;
    *right = areaWidth;
    *bottom = areaHeight;
    const double aspect = static_cast<double>(width) / height;
    const double areaAspect = static_cast<double>(areaWidth) / areaHeight;
    if (areaAspect > aspect) {
        const int margin = static_cast<int>((areaWidth - aspect * areaHeight) * 0.5);
        *left += margin;
        *right -= margin;
    } else if (areaAspect < aspect) {
        const int margin = static_cast<int>((areaHeight - areaWidth / aspect) * 0.5);
        *top += margin;
        *bottom -= margin;
    }
}

void ImageLibraryDialog::OnInit(platform::ImageLibraryDialogView& view)
{
    view_ = &view;
    FillList();
    view_->StartTimer(kTimerId, kTimerPeriodMs);
}

void ImageLibraryDialog::FillList()
{
    view_->DeleteAllItems();
    items_.clear();
    for (const PictureEntry& entry : collection_.GetEntries())
        InsertItem(entry);
}

void ImageLibraryDialog::InsertItem(const PictureEntry& entry)
{
    // After any equal paths, as a sorted list view places a new item.
    const auto place = std::upper_bound(items_.begin(), items_.end(), entry,
                                        [](const PictureEntry& a, const PictureEntry& b) {
                                            return ComesBefore(a.path, b.path);
                                        });
    const int index = static_cast<int>(place - items_.begin());
    items_.insert(place, entry);
    view_->InsertItem(index, entry.path,
                      entry.kind == PictureEntry::Kind::File ? platform::kFileImage : platform::kFolderImage);
}

void ImageLibraryDialog::OnPaintPreview(int width, int height, platform::PreviewFrame* frame)
{
    frame->background = kPreviewBackground;
    frame->hasPicture = false;
    frame->text.clear();
    if (width <= 0 || height <= 0)
        return;

    int pictureWidth = 0;
    int pictureHeight = 0;
    if (preview_ != nullptr && preview_->CurrentPictureSize(&pictureWidth, &pictureHeight) && pictureWidth > 0 &&
        pictureHeight > 0) {
        int left, top, right, bottom;
        FitPicture(pictureWidth, pictureHeight, width, height, &left, &top, &right, &bottom);
        const int placeWidth = right - left;
        const int placeHeight = bottom - top;
        const bool reuse = stretchedValid_ && stretchedGeneration_ == pictureGeneration_ &&
                           stretched_.width == placeWidth && stretched_.height == placeHeight;
        if (!reuse) {
            stretchedValid_ = placeWidth > 0 && placeHeight > 0 &&
                              preview_->StretchCurrentPicture(placeWidth, placeHeight, &stretched_);
            stretchedGeneration_ = pictureGeneration_;
        }
        if (stretchedValid_) {
            frame->hasPicture = true;
            frame->pictureX = left;
            frame->pictureY = top;
            frame->picture = stretched_;
            return;
        }
    }
    frame->text = kNoImageText;
    frame->textHeight = height / 5;
    frame->textColour = kNoImageColour;
}

void ImageLibraryDialog::OnTimer(int id)
{
    if (id != kTimerId || preview_ == nullptr || preview_->PictureCount() < 2)
        return;
    preview_->Advance();
    ++pictureGeneration_;
    view_->InvalidatePreview();
}

void ImageLibraryDialog::OnClose() { view_->EndDialog(0); }

void ImageLibraryDialog::OnItemFocusChanged(int index, bool focused)
{
    if (index < 0 || index >= static_cast<int>(items_.size()))
        return;
    DestroyPreview();
    if (focused)
        StartExpansion(items_[static_cast<std::size_t>(index)]);
    view_->InvalidatePreview();
}

void ImageLibraryDialog::OnCommand(int controlId)
{
    switch (controlId) {
    case platform::kAddFileButton: {
        std::vector<std::string> paths;
        if (view_->ChooseFiles(&paths))
            AddChosenPaths(paths, PictureEntry::Kind::File);
        break;
    }
    case platform::kAddFolderButton: {
        std::string path;
        if (view_->ChooseFolder(&path))
            AddChosenPaths({path}, PictureEntry::Kind::Folder);
        break;
    }
    case platform::kRemoveItemButton:
        RemoveSelectedItems();
        break;
    case platform::kAcceptButton:
        Accept();
        break;
    default:
        break;
    }
}

void ImageLibraryDialog::AddChosenPaths(const std::vector<std::string>& paths, PictureEntry::Kind kind)
{
    // The stored collection separates its entries with ";", so such a path would come
    // back as two broken entries.
    std::string refused;
    for (const std::string& path : paths) {
        if (path.empty())
            continue;
        if (path.find(';') != std::string::npos) {
            refused += "\n" + path;
            continue;
        }
        InsertItem(PictureEntry{path, kind});
    }
    if (!refused.empty()) {
        const std::string text = "A path that contains \";\" cannot be kept in the collection; not added:" + refused;
        view_->ShowMessageDialog(kTitle, text.c_str());
    }
}

void ImageLibraryDialog::RemoveSelectedItems()
{
    for (int index = static_cast<int>(items_.size()) - 1; index >= 0; --index) {
        if (view_->IsItemSelected(index)) {
            view_->DeleteItem(index);
            items_.erase(items_.begin() + index);
        }
    }
    DestroyPreview();
    view_->InvalidatePreview();
}

void ImageLibraryDialog::Accept()
{
    const StoredOptionsParameter_paths::Entries backup = collection_.GetEntries();
    collection_.Clear();
    for (const PictureEntry& item : items_) {
        if (collection_.AddPath(item) != 0) {
            collection_.GetEntries() = backup;
            view_->ShowMessageDialog(kTitle, kTooLongText);
            return;
        }
    }
    view_->EndDialog(0);
}

void ImageLibraryDialog::DestroyPreview()
{
    CancelExpansion();
    preview_.reset();
    ++pictureGeneration_;
}

void ImageLibraryDialog::StartExpansion(const PictureEntry& entry)
{
    auto job = std::make_shared<Expansion>();
    job->wake = view_;
    job_ = job;
    starter_([job, entry, builder = builder_]() {
        Preview result = builder(entry, job->cancelled);
        std::lock_guard<std::mutex> lock(job->mutex);
        job->result = std::move(result);
        job->done = true;
        if (job->wake != nullptr)
            job->wake->Wake();
    });
    CollectExpansion();  // a worker that ran at once has finished already
}

void ImageLibraryDialog::CancelExpansion()
{
    if (job_ == nullptr)
        return;
    {
        std::lock_guard<std::mutex> lock(job_->mutex);
        job_->wake = nullptr;
    }
    job_->cancelled = 1;
    job_.reset();
}

void ImageLibraryDialog::CollectExpansion()
{
    if (job_ == nullptr)
        return;
    {
        std::lock_guard<std::mutex> lock(job_->mutex);
        if (!job_->done)
            return;
        preview_ = std::move(job_->result);
    }
    job_.reset();
    ++pictureGeneration_;
    view_->InvalidatePreview();
}

void ImageLibraryDialog::OnWake() { CollectExpansion(); }

void ImageLibraryDialog::OnDestroy()
{
    CancelExpansion();
    view_ = nullptr;
}
