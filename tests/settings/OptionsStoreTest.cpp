#include "settings/OptionsStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "platform/SettingsStore.h"
#include "settings/StoredOptionsParameter_long.h"
#include "settings/StoredOptionsParameter_paths.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/TestSupport.h"

namespace {

// A store of its own over a private configuration folder.
class OptionsStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = MakeTestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        UsePrivateSettings(folder_, "Test product");
    }

    std::string SettingsFile() const { return folder_ + "/Vorelund/Test product.conf"; }

    void WriteSettings(const std::string& text)
    {
        std::filesystem::create_directories(folder_ + "/Vorelund");
        std::ofstream(SettingsFile(), std::ios::binary) << text;
    }

    StoredOptionsParameter_long fps_{"EnableFPS", 0};
    StoredOptionsParameter_long vsync_{"EnableVSync", 1};
    StoredOptionsParameter_paths pictures_{"SlideshowPictures"};
    StoredOptionsParameter* options_[4] = {&vsync_, &pictures_, &fps_, nullptr};
    std::string folder_;
};

std::string Saved(const StoredOptionsParameter& option)
{
    std::string text;
    EXPECT_EQ(option.SaveToText(&text), 0);
    return text;
}

}  // namespace

TEST(StoredOptionsParameterTest, NumbersLoadTheWayAtolReadsThem)
{
    StoredOptionsParameter_long option("EnableFPS", 0);
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {{"7abc", 7}, {"abc", 0}, {"", 0}, {"  -12", -12}, {"+3", 3}, {"1 2", 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(option.LoadFromText(c.text), 0);
        EXPECT_EQ(option.Value(), c.value) << c.text;
    }
    option.SetValue(-5);
    EXPECT_EQ(Saved(option), "-5");
    option.ResetToDefault();
    EXPECT_EQ(option.Value(), 0);
}

TEST(StoredOptionsParameterTest, PictureListSkipsEmptySegmentsAndSavesCompactly)
{
    StoredOptionsParameter_paths option("SlideshowPictures");
    option.LoadFromText(";;1a;2b;");
    ASSERT_EQ(option.GetEntries().size(), 2u);
    EXPECT_EQ(option.GetEntries().front(), (PictureEntry{"a", PictureEntry::Kind::Folder}));
    EXPECT_EQ(option.GetEntries().back(), (PictureEntry{"b", PictureEntry::Kind::File}));
    EXPECT_EQ(Saved(option), "1a;2b");

    // A lone type character is an entry with an empty path; any type but 2 is a folder.
    option.LoadFromText("2;x/pics;2/home/me/sea.jpg");
    ASSERT_EQ(option.GetEntries().size(), 3u);
    EXPECT_EQ(option.GetEntries().front(), (PictureEntry{"", PictureEntry::Kind::File}));
    EXPECT_EQ(*std::next(option.GetEntries().begin()), (PictureEntry{"/pics", PictureEntry::Kind::Folder}));
    EXPECT_EQ(Saved(option), "2;1/pics;2/home/me/sea.jpg");

    option.LoadFromText("");
    EXPECT_TRUE(option.GetEntries().empty());
    EXPECT_EQ(Saved(option), "");
}

TEST_F(OptionsStoreTest, MissingFileKeepsTheDefaults)
{
    OptionsStore store("Test product", options_);
    EXPECT_EQ(store.Load(), -1);
    EXPECT_EQ(fps_.Value(), 0);
    EXPECT_EQ(vsync_.Value(), 1);
    EXPECT_EQ(store.KeyPath(), "Software\\Vorelund\\Test product");
}

TEST_F(OptionsStoreTest, LoadStopsAtTheFirstMissingValueInNameOrder)
{
    // EnableFPS is missing, so the later EnableVSync and SlideshowPictures stay as they are.
    WriteSettings("EnableVSync=0\nSlideshowPictures=1/pics\n");
    OptionsStore store("Test product", options_);
    EXPECT_EQ(store.Load(), 1);
    EXPECT_EQ(vsync_.Value(), 1);
    EXPECT_TRUE(pictures_.GetEntries().empty());

    WriteSettings("not a setting\nEnableFPS=1\nEnableVSync=0\n# comment=ignored\nSlideshowPictures=1/pics\n");
    EXPECT_EQ(store.Load(), 0);
    EXPECT_EQ(fps_.Value(), 1);
    EXPECT_EQ(vsync_.Value(), 0);
    ASSERT_EQ(pictures_.GetEntries().size(), 1u);
    EXPECT_EQ(pictures_.GetEntries().front().path, "/pics");
}

TEST_F(OptionsStoreTest, SaveAfterResetAllWritesTheDefaultsInNameOrder)
{
    OptionsStore store("Test product", options_);
    fps_.SetValue(1);
    vsync_.SetValue(0);
    pictures_.LoadFromText("1/a;2/b.png");
    store.ResetAll();
    EXPECT_EQ(store.Save(), 0);
    const std::string text = ReadWholeFile(SettingsFile());
    EXPECT_NE(text.find("EnableFPS=0\nEnableVSync=1\nSlideshowPictures=\n"), std::string::npos) << text;
}

TEST_F(OptionsStoreTest, ValuesWithLineBreaksAndBackslashesRoundTrip)
{
    OptionsStore store("Test product", options_);
    pictures_.LoadFromText("1/odd\\name\nwith break\r;2/x=y.jpg");
    ASSERT_EQ(store.Save(), 0);
    pictures_.Clear();
    ASSERT_EQ(store.Load(), 0);
    ASSERT_EQ(pictures_.GetEntries().size(), 2u);
    EXPECT_EQ(pictures_.GetEntries().front().path, "/odd\\name\nwith break\r");
    EXPECT_EQ(pictures_.GetEntries().back().path, "/x=y.jpg");
}

TEST_F(OptionsStoreTest, FailedSaveLeavesTheOldSettingsWhole)
{
    OptionsStore store("Test product", options_);
    fps_.SetValue(1);
    ASSERT_EQ(store.Save(), 0);
    const std::string before = ReadWholeFile(SettingsFile());

    // A folder where the temporary file would go makes the write fail before the rename.
    const std::string blocker = SettingsFile() + ".tmp";
    std::filesystem::create_directories(blocker + "/x");
    fps_.SetValue(0);
    EXPECT_EQ(store.Save(), -1);
    EXPECT_EQ(ReadWholeFile(SettingsFile()), before);
    std::filesystem::remove_all(blocker);

    // No stray temporary files after a good save.
    ASSERT_EQ(store.Save(), 0);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder_ + "/Vorelund"))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1);
}

