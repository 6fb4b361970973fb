// The preview on real picture files: a folder expanded through the picture sequence,
// decoded and stretched into the preview area.
#include "settings/ImageLibraryDialog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "settings/PictureSequencePreview.h"
#include "tests/support/TestSupport.h"

namespace {

// A 24-bit BMP whose top half is one colour and bottom half another (RGB).
void WriteTwoColourBmp(const std::string& path, int width, int height, std::uint32_t top, std::uint32_t bottom)
{
    const std::string bytes = MakeBmp(width, height, [&](int, int y) { return y < height / 2 ? top : bottom; });
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

class NoWindow : public platform::ImageLibraryDialogView {
public:
    void InsertItem(int, const std::string&, int) override {}
    void DeleteItem(int) override {}
    void DeleteAllItems() override {}
    bool IsItemSelected(int) const override { return false; }
    bool ChooseFiles(std::vector<std::string>*) override { return false; }
    bool ChooseFolder(std::string*) override { return false; }
    void ShowMessageDialog(const char*, const char*) override {}
    void StartTimer(int, unsigned) override {}
    void InvalidatePreview() override {}
    void Wake() override {}
    void EndDialog(int) override {}
};

// Red, green and blue in the middle of the picture's top half.
std::uint32_t TopColour(const platform::PreviewFrame& frame)
{
    const std::uint8_t* p =
        frame.picture.pixels.data() + (static_cast<std::size_t>(frame.picture.height / 4) * frame.picture.width +
                                       frame.picture.width / 2) * 4;
    return (static_cast<std::uint32_t>(p[2]) << 16) | (p[1] << 8) | p[0];
}

std::uint32_t BottomColour(const platform::PreviewFrame& frame)
{
    const std::uint8_t* p =
        frame.picture.pixels.data() + (static_cast<std::size_t>(frame.picture.height * 3 / 4) * frame.picture.width +
                                       frame.picture.width / 2) * 4;
    return (static_cast<std::uint32_t>(p[2]) << 16) | (p[1] << 8) | p[0];
}

}  // namespace

TEST(ImageLibraryDialogPreviewTest, AFolderOfPicturesIsShownUprightAndMovesOnWithTheTimer)
{
    const std::string folder = MakeTestFolder("ImageLibraryDialogPreview");
    WriteTwoColourBmp(folder + "/a.bmp", 80, 40, 0xFF0000, 0x0000FF);
    WriteTwoColourBmp(folder + "/b.bmp", 80, 40, 0x00FF00, 0x0000FF);
    WriteTwoColourBmp(folder + "/c.bmp", 80, 40, 0xFFFF00, 0x0000FF);
    std::filesystem::create_directories(folder + "/.hidden");
    WriteTwoColourBmp(folder + "/.hidden/d.bmp", 80, 40, 0xFFFFFF, 0xFFFFFF);

    StoredOptionsParameter_paths collection("SlideshowPictures");
    collection.LoadFromText(("1" + folder).c_str());
    ImageLibraryDialog::Preview preview;
    ImageLibraryDialog dialog(
        collection, preview,
        [](const PictureEntry& entry, const std::atomic<int>& cancelled) {
            return PictureSequencePreview::Build(entry, ImageLibraryDialog::kPreviewBudgetSeconds, cancelled);
        },
        [](std::function<void()> work) { work(); });
    NoWindow view;
    dialog.OnInit(view);
    dialog.OnItemFocusChanged(0, true);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->PictureCount(), 3u);

    std::set<std::uint32_t> tops;
    for (int tick = 0; tick < 3; ++tick) {
        platform::PreviewFrame frame;
        dialog.OnPaintPreview(300, 300, &frame);
        ASSERT_TRUE(frame.hasPicture);
        // 2:1 in a square: full width, centred vertically.
        EXPECT_EQ(frame.picture.width, 300);
        EXPECT_EQ(frame.picture.height, 150);
        EXPECT_EQ(frame.pictureY, 75);
        EXPECT_EQ(BottomColour(frame), 0x0000FFu);
        tops.insert(TopColour(frame));
        dialog.OnTimer(ImageLibraryDialog::kTimerId);
    }
    EXPECT_EQ(tops, (std::set<std::uint32_t>{0xFF0000u, 0x00FF00u, 0xFFFF00u}));
    dialog.OnDestroy();
}

TEST(ImageLibraryDialogPreviewTest, ACancelledExpansionStopsAndAMissingFileShowsNoImage)
{
    const std::string folder = MakeTestFolder("ImageLibraryDialogPreviewCancelled");
    WriteTwoColourBmp(folder + "/a.bmp", 8, 8, 0xFF0000, 0x0000FF);
    const std::atomic<int> cancelled{1};
    auto stopped = PictureSequencePreview::Build(PictureEntry{folder, PictureEntry::Kind::Folder}, 2000, cancelled);
    EXPECT_EQ(stopped->PictureCount(), 0u);

    const std::atomic<int> running{0};
    auto missing =
        PictureSequencePreview::Build(PictureEntry{folder + "/gone.png", PictureEntry::Kind::File}, 2000, running);
    EXPECT_EQ(missing->PictureCount(), 1u);
    int width = 0, height = 0;
    EXPECT_FALSE(missing->CurrentPictureSize(&width, &height));
}

// A phone's portrait photo is stored landscape with orientation 6: the preview shows it
// upright, at its upright proportions (96 x 64 fills a square's width), every quarter
// where it belongs.
TEST(ImageLibraryDialogPreviewTest, APhotoStoredOnItsSideIsPreviewedUpright)
{
    StoredOptionsParameter_paths collection("SlideshowPictures");
    collection.LoadFromText(("2" + std::string(ZEN_BUILD_DIR) + "/picture-encodings/orientation-6.jpg").c_str());
    ImageLibraryDialog::Preview preview;
    ImageLibraryDialog dialog(
        collection, preview,
        [](const PictureEntry& entry, const std::atomic<int>& cancelled) {
            return PictureSequencePreview::Build(entry, ImageLibraryDialog::kPreviewBudgetSeconds, cancelled);
        },
        [](std::function<void()> work) { work(); });
    NoWindow view;
    dialog.OnInit(view);
    dialog.OnItemFocusChanged(0, true);
    platform::PreviewFrame frame;
    dialog.OnPaintPreview(300, 300, &frame);
    ASSERT_TRUE(frame.hasPicture);
    EXPECT_EQ(frame.picture.width, 300);
    EXPECT_EQ(frame.picture.height, 200);
    // Top left red, top right green, bottom left blue, bottom right yellow.
    const std::uint32_t expected[4] = {0xDC2828u, 0x28C83Cu, 0x283CDCu, 0xE6D228u};
    for (int quarter = 0; quarter < 4; ++quarter) {
        const int x = frame.picture.width * (quarter % 2 == 0 ? 1 : 3) / 4;
        const int y = frame.picture.height * (quarter < 2 ? 1 : 3) / 4;
        const std::uint8_t* p =
            frame.picture.pixels.data() + (static_cast<std::size_t>(y) * frame.picture.width + x) * 4;
        const int seen[3] = {p[2], p[1], p[0]};
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_NEAR(seen[channel], int((expected[quarter] >> (16 - 8 * channel)) & 0xFF), 12) << quarter;
    }
    dialog.OnDestroy();
}
