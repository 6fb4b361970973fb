#include "settings/ImageLibraryDialog.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

struct ListItem {
    std::string text;
    int image = -1;
    bool selected = false;
};

// Stands in for the dialog window: keeps the list, answers the choosers from a script.
class FakeLibraryView : public platform::ImageLibraryDialogView {
public:
    void InsertItem(int index, const std::string& text, int image) override
    {
        items.insert(items.begin() + index, ListItem{text, image, false});
    }
    void DeleteItem(int index) override { items.erase(items.begin() + index); }
    void DeleteAllItems() override { items.clear(); }
    bool IsItemSelected(int index) const override { return items[static_cast<std::size_t>(index)].selected; }
    bool ChooseFiles(std::vector<std::string>* paths) override
    {
        *paths = files;
        return !files.empty();
    }
    bool ChooseFolder(std::string* path) override
    {
        *path = folder;
        return !folder.empty();
    }
    void ShowMessageDialog(const char* title, const char* text) override { messages.push_back({title, text}); }
    void StartTimer(int id, unsigned periodMs) override { timers[id] = periodMs; }
    void InvalidatePreview() override { ++invalidations; }
    void Wake() override { ++wakes; }
    void EndDialog(int result) override { endedWith = result; }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const ListItem& item : items)
            texts.push_back(item.text);
        return texts;
    }

    std::vector<ListItem> items;
    std::vector<std::string> files;
    std::string folder;
    std::vector<std::pair<std::string, std::string>> messages;
    std::map<int, unsigned> timers;
    int invalidations = 0;
    int wakes = 0;
    int endedWith = -100;
};

// A sequence of solid-coloured pictures: picture i is 40 x 20 and has red = i.
class FakePictures : public PreviewPictures {
public:
    FakePictures(unsigned count, bool decodable) : count_(count), decodable_(decodable) {}

    unsigned PictureCount() const override { return count_; }
    void Advance() override
    {
        ++advances;
        if (count_ > 2)
            current_ = (current_ + 1) % count_;
    }
    bool CurrentPictureSize(int* width, int* height) override
    {
        if (count_ == 0 || !decodable_)
            return false;
        *width = 40;
        *height = 20;
        return true;
    }
    bool StretchCurrentPicture(int width, int height, platform::BgrxBitmap* out) override
    {
        ++stretches;
        out->width = width;
        out->height = height;
        out->pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
        for (std::size_t i = 0; i < out->pixels.size(); i += 4)
            out->pixels[i + 2] = static_cast<std::uint8_t>(current_);
        return true;
    }

    int advances = 0;
    int stretches = 0;

private:
    unsigned count_;
    bool decodable_;
    unsigned current_ = 0;
};

class ImageLibraryDialogTest : public ::testing::Test {
protected:
    // Pictures by entry path; unknown paths have none.
    ImageLibraryDialog::PreviewBuilder Builder()
    {
        return [this](const PictureEntry& entry, const std::atomic<int>&) -> ImageLibraryDialog::Preview {
            built.push_back(entry);
            const auto found = pictureCounts.find(entry.path);
            auto pictures = std::make_unique<FakePictures>(found == pictureCounts.end() ? 0 : found->second,
                                                           entry.path.find("broken") == std::string::npos);
            lastBuilt = pictures.get();
            return pictures;
        };
    }

    // Work runs at once unless deferred; deferred work waits in pending.
    ImageLibraryDialog::WorkStarter Starter()
    {
        return [this](std::function<void()> work) {
            if (deferWork)
                pending.push_back(std::move(work));
            else
                work();
        };
    }

    std::unique_ptr<ImageLibraryDialog> Open()
    {
        auto dialog = std::make_unique<ImageLibraryDialog>(collection, preview, Builder(), Starter());
        dialog->OnInit(view);
        return dialog;
    }

    platform::PreviewFrame Paint(ImageLibraryDialog& dialog, int width = 312, int height = 276)
    {
        platform::PreviewFrame frame;
        dialog.OnPaintPreview(width, height, &frame);
        return frame;
    }

    int IndexOf(const std::string& text) const
    {
        for (std::size_t i = 0; i < view.items.size(); ++i) {
            if (view.items[i].text == text)
                return static_cast<int>(i);
        }
        return -1;
    }

    StoredOptionsParameter_paths collection{"SlideshowPictures"};
    ImageLibraryDialog::Preview preview;
    FakeLibraryView view;
    std::map<std::string, unsigned> pictureCounts;
    std::vector<PictureEntry> built;
    FakePictures* lastBuilt = nullptr;
    bool deferWork = false;
    std::vector<std::function<void()>> pending;
};

std::string Stored(const StoredOptionsParameter_paths& collection)
{
    std::string text;
    collection.SaveToText(&text);
    return text;
}

}  // namespace

TEST_F(ImageLibraryDialogTest, OpensWithTheCollectionSortedAndTheTwoSecondTimer)
{
    collection.LoadFromText("1/z/photos;2/a/sea.jpg;1/B/more");
    auto dialog = Open();
    EXPECT_EQ(view.Texts(), (std::vector<std::string>{"/a/sea.jpg", "/B/more", "/z/photos"}));
    EXPECT_EQ(view.items[0].image, platform::kFileImage);
    EXPECT_EQ(view.items[1].image, platform::kFolderImage);
    ASSERT_EQ(view.timers.count(0), 1u);
    EXPECT_EQ(view.timers[0], 2000u);

    // Accepting unchanged writes the list order back.
    dialog->OnCommand(platform::kAcceptButton);
    EXPECT_EQ(view.endedWith, 0);
    EXPECT_EQ(Stored(collection), "2/a/sea.jpg;1/B/more;1/z/photos");
}

TEST_F(ImageLibraryDialogTest, ThreeFilesFromOneFolderBecomeThreeFileItems)
{
    auto dialog = Open();
    view.files = {"/home/me/pictures/c.png", "/home/me/pictures/a.jpg", "/home/me/pictures/b.gif"};
    dialog->OnCommand(platform::kAddFileButton);
    EXPECT_EQ(view.Texts(), (std::vector<std::string>{"/home/me/pictures/a.jpg", "/home/me/pictures/b.gif",
                                                      "/home/me/pictures/c.png"}));
    for (const ListItem& item : view.items)
        EXPECT_EQ(item.image, platform::kFileImage);
    EXPECT_TRUE(collection.GetEntries().empty()) << "the collection changes only on Accept";

    view.folder = "/home/me/more";
    dialog->OnCommand(platform::kAddFolderButton);
    EXPECT_EQ(view.items[IndexOf("/home/me/more")].image, platform::kFolderImage);

    // Cancelled choosers and duplicates.
    view.files.clear();
    view.folder.clear();
    dialog->OnCommand(platform::kAddFileButton);
    dialog->OnCommand(platform::kAddFolderButton);
    EXPECT_EQ(view.items.size(), 4u);
    view.folder = "/home/me/more";
    dialog->OnCommand(platform::kAddFolderButton);
    EXPECT_EQ(view.items.size(), 5u);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(ImageLibraryDialogTest, APathWithASemicolonIsRefusedByName)
{
    auto dialog = Open();
    view.files = {"/p/one;two.png", "/p/fine.png"};
    dialog->OnCommand(platform::kAddFileButton);
    EXPECT_EQ(view.Texts(), (std::vector<std::string>{"/p/fine.png"}));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first, "Image Library");
    EXPECT_NE(view.messages[0].second.find("/p/one;two.png"), std::string::npos);

    dialog->OnCommand(platform::kAcceptButton);
    EXPECT_EQ(Stored(collection), "2/p/fine.png");
}

TEST_F(ImageLibraryDialogTest, LongPathsAreKeptWhole)
{
    const std::string path = "/" + std::string(600, 'x') + "/picture.png";
    auto dialog = Open();
    view.files = {path};
    dialog->OnCommand(platform::kAddFileButton);
    dialog->OnCommand(platform::kAcceptButton);
    ASSERT_EQ(collection.GetEntries().size(), 1u);
    EXPECT_EQ(collection.GetEntries().front().path, path);
}

TEST_F(ImageLibraryDialogTest, AcceptingAnEmptyListEmptiesTheCollection)
{
    collection.LoadFromText("1/a;2/b.png");
    auto dialog = Open();
    for (ListItem& item : view.items)
        item.selected = true;
    dialog->OnCommand(platform::kRemoveItemButton);
    EXPECT_TRUE(view.items.empty());
    EXPECT_TRUE(dialog->Items().empty());
    dialog->OnCommand(platform::kAcceptButton);
    EXPECT_EQ(view.endedWith, 0);
    EXPECT_TRUE(collection.GetEntries().empty());
}

TEST_F(ImageLibraryDialogTest, AnAcceptOverTheLimitChangesNothingAndSaysSo)
{
    collection.LoadFromText("1/keep/this;2/and/this.png");
    const std::string before = Stored(collection);
    auto dialog = Open();
    // 2047 characters in all is the most; these three need 1000 + 1000 + 60 and more.
    view.files = {"/" + std::string(999, 'a'), "/" + std::string(999, 'b'), "/" + std::string(59, 'c')};
    dialog->OnCommand(platform::kAddFileButton);
    const std::vector<std::string> list = view.Texts();

    dialog->OnCommand(platform::kAcceptButton);
    EXPECT_EQ(view.endedWith, -100) << "stays open";
    EXPECT_EQ(Stored(collection), before);
    EXPECT_EQ(view.Texts(), list);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first, "Image Library");
    EXPECT_EQ(view.messages[0].second, "Your collection is too long.\nPlease, decrease it.");

    // Making room lets it through.
    view.items[IndexOf("/" + std::string(59, 'c'))].selected = true;
    view.items[IndexOf("/keep/this")].selected = true;
    dialog->OnCommand(platform::kRemoveItemButton);
    dialog->OnCommand(platform::kAcceptButton);
    EXPECT_EQ(view.endedWith, 0);
    EXPECT_EQ(collection.GetEntries().size(), 3u);
}

TEST_F(ImageLibraryDialogTest, TheCloseBoxDiscardsTheEdits)
{
    collection.LoadFromText("1/a");
    auto dialog = Open();
    view.files = {"/b.png"};
    dialog->OnCommand(platform::kAddFileButton);
    dialog->OnClose();
    EXPECT_EQ(view.endedWith, 0);
    EXPECT_EQ(Stored(collection), "1/a");
}

TEST_F(ImageLibraryDialogTest, AFolderOfManyPicturesShowsOneAtOnceAndMovesOnEveryTimerTick)
{
    pictureCounts["/many"] = 25;
    collection.LoadFromText("1/many");
    auto dialog = Open();
    const int before = view.invalidations;
    dialog->OnItemFocusChanged(0, true);
    ASSERT_NE(preview, nullptr);
    ASSERT_EQ(built.size(), 1u);
    EXPECT_EQ(built[0], (PictureEntry{"/many", PictureEntry::Kind::Folder}));
    EXPECT_GT(view.invalidations, before);

    platform::PreviewFrame frame = Paint(*dialog);
    ASSERT_TRUE(frame.hasPicture);
    EXPECT_EQ(frame.background.red, 150);
    EXPECT_EQ(frame.background.green, 150);
    EXPECT_EQ(frame.background.blue, 150);
    // 40 x 20 in 312 x 276: full width, centred vertically.
    EXPECT_EQ(frame.pictureX, 0);
    EXPECT_EQ(frame.pictureY, 60);
    EXPECT_EQ(frame.picture.width, 312);
    EXPECT_EQ(frame.picture.height, 156);
    EXPECT_EQ(frame.picture.pixels[2], 0);

    // Repaints reuse the stretched picture; a tick moves on.
    Paint(*dialog);
    EXPECT_EQ(lastBuilt->stretches, 1);
    const int ticked = view.invalidations;
    dialog->OnTimer(ImageLibraryDialog::kTimerId);
    EXPECT_EQ(lastBuilt->advances, 1);
    EXPECT_EQ(view.invalidations, ticked + 1);
    frame = Paint(*dialog);
    EXPECT_EQ(frame.picture.pixels[2], 1);
    EXPECT_EQ(lastBuilt->stretches, 2);
    dialog->OnTimer(ImageLibraryDialog::kTimerId + 1);
    EXPECT_EQ(lastBuilt->advances, 1) << "another timer";
}

TEST_F(ImageLibraryDialogTest, OnePictureIsNeverRedrawnByTheTimerAndNoneShowsNoImage)
{
    pictureCounts["/one.png"] = 1;
    collection.LoadFromText("2/one.png;1/empty;2/broken.png");
    pictureCounts["/broken.png"] = 1;
    auto dialog = Open();
    ASSERT_EQ(view.Texts(), (std::vector<std::string>{"/broken.png", "/empty", "/one.png"}));

    dialog->OnItemFocusChanged(2, true);
    EXPECT_TRUE(Paint(*dialog).hasPicture);
    const int before = view.invalidations;
    for (int tick = 0; tick < 5; ++tick)
        dialog->OnTimer(ImageLibraryDialog::kTimerId);
    EXPECT_EQ(view.invalidations, before);
    EXPECT_EQ(lastBuilt->advances, 0);

    // Focus moves to the empty folder: lost, then gained.
    dialog->OnItemFocusChanged(2, false);
    dialog->OnItemFocusChanged(1, true);
    platform::PreviewFrame frame = Paint(*dialog, 300, 201);
    EXPECT_FALSE(frame.hasPicture);
    EXPECT_EQ(frame.text, "No image");
    EXPECT_EQ(frame.textHeight, 40);
    EXPECT_EQ(frame.textColour.red, 120);
    EXPECT_EQ(frame.textColour.green, 120);
    EXPECT_EQ(frame.textColour.blue, 120);
    EXPECT_EQ(frame.background.red, 150);

    // A picture that cannot be decoded shows the same.
    dialog->OnItemFocusChanged(0, true);
    EXPECT_EQ(Paint(*dialog).text, "No image");
}

TEST_F(ImageLibraryDialogTest, RemovingItemsOrLosingTheFocusClearsThePreview)
{
    pictureCounts["/a"] = 5;
    pictureCounts["/b"] = 5;
    collection.LoadFromText("1/a;1/b");
    auto dialog = Open();
    dialog->OnItemFocusChanged(0, true);
    ASSERT_TRUE(Paint(*dialog).hasPicture);
    dialog->OnItemFocusChanged(0, false);
    EXPECT_EQ(preview, nullptr);
    EXPECT_EQ(Paint(*dialog).text, "No image");

    dialog->OnItemFocusChanged(1, true);
    ASSERT_TRUE(Paint(*dialog).hasPicture);
    view.items[0].selected = true;  // not the focused one: the preview still goes
    const int before = view.invalidations;
    dialog->OnCommand(platform::kRemoveItemButton);
    EXPECT_EQ(view.Texts(), (std::vector<std::string>{"/b"}));
    EXPECT_EQ(preview, nullptr);
    EXPECT_GT(view.invalidations, before);
    EXPECT_EQ(Paint(*dialog).text, "No image");
}

TEST_F(ImageLibraryDialogTest, ThePreviewOutlivesTheDialog)
{
    pictureCounts["/a"] = 5;
    collection.LoadFromText("1/a");
    auto first = Open();
    first->OnItemFocusChanged(0, true);
    first->OnCommand(platform::kAcceptButton);
    first->OnDestroy();
    first.reset();
    ASSERT_NE(preview, nullptr);

    FakeLibraryView reopened;
    ImageLibraryDialog second(collection, preview, Builder(), Starter());
    second.OnInit(reopened);
    platform::PreviewFrame frame;
    second.OnPaintPreview(100, 100, &frame);
    EXPECT_TRUE(frame.hasPicture);
    EXPECT_EQ(built.size(), 1u) << "not expanded again";
}

TEST_F(ImageLibraryDialogTest, AFolderIsExpandedInTheBackgroundAndCancelledWhenTheFocusMovesOn)
{
    pictureCounts["/slow"] = 30;
    pictureCounts["/fast"] = 4;
    collection.LoadFromText("1/slow;1/fast");
    deferWork = true;
    auto dialog = Open();

    dialog->OnItemFocusChanged(1, true);  // "/slow"
    EXPECT_TRUE(dialog->PreviewPending());
    EXPECT_EQ(Paint(*dialog).text, "No image") << "while the pictures are gathered";
    dialog->OnTimer(ImageLibraryDialog::kTimerId);

    dialog->OnItemFocusChanged(1, false);
    dialog->OnItemFocusChanged(0, true);  // "/fast"
    ASSERT_EQ(pending.size(), 2u);
    pending[0]();  // the abandoned one finishes late
    EXPECT_EQ(view.wakes, 0);
    pending[1]();
    EXPECT_EQ(view.wakes, 1);
    EXPECT_EQ(preview, nullptr) << "installed on the dialog's thread";
    dialog->OnWake();
    EXPECT_FALSE(dialog->PreviewPending());
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->PictureCount(), 4u);
    EXPECT_TRUE(Paint(*dialog).hasPicture);

    // Closing while a folder is gathered: nothing arrives afterwards.
    dialog->OnItemFocusChanged(1, true);
    dialog->OnClose();
    dialog->OnDestroy();
    dialog.reset();
    ASSERT_EQ(pending.size(), 3u);
    pending[2]();
    EXPECT_EQ(view.wakes, 1);
    EXPECT_EQ(preview, nullptr);
}

TEST(ImageLibraryDialogLayoutTest, PicturesAreFittedByTheirAspectRatioAndCentred)
{
    int left, top, right, bottom;
    ImageLibraryDialog::FitPicture(100, 100, 300, 200, &left, &top, &right, &bottom);
    EXPECT_EQ(left, 50);
    EXPECT_EQ(right, 250);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(bottom, 200);
    // (301 - 200) / 2 = 50.5 is truncated.
    ImageLibraryDialog::FitPicture(100, 100, 301, 200, &left, &top, &right, &bottom);
    EXPECT_EQ(left, 50);
    EXPECT_EQ(right, 251);
    ImageLibraryDialog::FitPicture(400, 100, 300, 200, &left, &top, &right, &bottom);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 300);
    EXPECT_EQ(top, 62);
    EXPECT_EQ(bottom, 138);
    ImageLibraryDialog::FitPicture(30, 20, 300, 200, &left, &top, &right, &bottom);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(right, 300);
    EXPECT_EQ(bottom, 200);
}

TEST(ImageLibraryDialogLayoutTest, TheListIsOrderedByPathWithoutRegardToCase)
{
    EXPECT_TRUE(ImageLibraryDialog::ComesBefore("/a", "/B"));
    EXPECT_FALSE(ImageLibraryDialog::ComesBefore("/B", "/a"));
    EXPECT_TRUE(ImageLibraryDialog::ComesBefore("/a", "/ab"));
    EXPECT_TRUE(ImageLibraryDialog::ComesBefore("/A", "/a"));
    EXPECT_FALSE(ImageLibraryDialog::ComesBefore("/a", "/a"));
}
