#include "settings/SettingsDialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>

#include "app/ProcessObjects.h"
#include "settings/ImageLibraryDialog.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/TestSupport.h"

namespace {

// Stands in for the dialog window: remembers the boxes and how the dialog ended.
class FakeSettingsView : public platform::SettingsDialogView {
public:
    explicit FakeSettingsView(platform::SettingsDialogHandler& handler) : handler_(handler) {}

    void SetWindowIcon(int iconId) override { icon = iconId; }
    void SetCheckBox(int controlId, bool checked) override { boxes[controlId] = checked; }
    bool IsCheckBoxChecked(int controlId) const override
    {
        const auto found = boxes.find(controlId);
        return found != boxes.end() && found->second;
    }
    void SendClose() override { handler_.OnClose(); }
    void EndDialog(int result) override { endedWith = result; }
    int RunImageLibraryDialog(platform::ImageLibraryDialogHandler& handler) override
    {
        return imageLibrary ? imageLibrary(handler) : -1;
    }

    // A user click on a check box: the box changes, then the dialog hears of it.
    void Click(int controlId)
    {
        boxes[controlId] = !boxes[controlId];
        handler_.OnCommand(controlId);
    }

    int icon = 0;
    std::map<int, bool> boxes;
    int endedWith = -100;
    std::function<int(platform::ImageLibraryDialogHandler&)> imageLibrary;

private:
    platform::SettingsDialogHandler& handler_;
};

// The Image Library as a user drives it: adds files, then accepts.
class ScriptedLibraryView : public platform::ImageLibraryDialogView {
public:
    void InsertItem(int index, const std::string& text, int) override { items.insert(items.begin() + index, text); }
    void DeleteItem(int index) override { items.erase(items.begin() + index); }
    void DeleteAllItems() override { items.clear(); }
    bool IsItemSelected(int) const override { return false; }
    bool ChooseFiles(std::vector<std::string>* paths) override
    {
        *paths = files;
        return true;
    }
    bool ChooseFolder(std::string*) override { return false; }
    void ShowMessageDialog(const char*, const char*) override {}
    void StartTimer(int, unsigned) override {}
    void InvalidatePreview() override {}
    void Wake() override {}
    void EndDialog(int result) override { endedWith = result; }

    std::vector<std::string> items;
    std::vector<std::string> files;
    int endedWith = -100;
};

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = MakeTestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        UsePrivateSettings(folder_, "Dialog test");
    }

    std::string StoredText() const { return StoredSettingsLines("Dialog test"); }

    StoredOptionsParameter_long fps_{"EnableFPS", 0};
    StoredOptionsParameter_long vsync_{"EnableVSync", 1};
    StoredOptionsParameter_paths pictures_{"SlideshowPictures"};
    StoredOptionsParameter* options_[4] = {&fps_, &vsync_, &pictures_, nullptr};
    std::string folder_;
};

}  // namespace

TEST_F(SettingsDialogTest, FirstRunShowsTheDefaultsAndTheIcon)
{
    OptionsStore store("Dialog test", options_);
    SettingsDialog dialog(store, fps_, vsync_, pictures_);
    FakeSettingsView view(dialog);
    dialog.OnInit(view);
    dialog.OnShow();
    EXPECT_EQ(view.icon, 102);
    EXPECT_FALSE(view.IsCheckBoxChecked(platform::kShowFpsCheckBox));
    EXPECT_TRUE(view.IsCheckBoxChecked(platform::kEnableVSyncCheckBox));
    EXPECT_EQ(view.endedWith, -100);
}

TEST_F(SettingsDialogTest, EscapeResetsInMemoryAndConfirmThenSavesTheDefaults)
{
    OptionsStore store("Dialog test", options_);
    fps_.SetValue(1);
    vsync_.SetValue(0);
    pictures_.LoadFromText("1/home/pictures;2/tmp/a.png");
    ASSERT_EQ(store.Save(), 0);

    SettingsDialog dialog(store, fps_, vsync_, pictures_);
    FakeSettingsView view(dialog);
    dialog.OnInit(view);
    dialog.OnShow();
    EXPECT_TRUE(view.IsCheckBoxChecked(platform::kShowFpsCheckBox));
    EXPECT_FALSE(view.IsCheckBoxChecked(platform::kEnableVSyncCheckBox));

    dialog.OnCommand(platform::kResetToDefaultButton);
    EXPECT_EQ(view.endedWith, -100) << "Escape does not close";
    EXPECT_FALSE(view.IsCheckBoxChecked(platform::kShowFpsCheckBox));
    EXPECT_TRUE(view.IsCheckBoxChecked(platform::kEnableVSyncCheckBox));
    EXPECT_TRUE(pictures_.GetEntries().empty());
    EXPECT_NE(StoredText().find("EnableFPS=1\n"), std::string::npos) << "nothing written yet";

    dialog.OnCommand(platform::kConfirmSettingsButton);
    EXPECT_EQ(view.endedWith, 1);
    const std::string stored = StoredText();
    EXPECT_NE(stored.find("EnableFPS=0\n"), std::string::npos) << stored;
    EXPECT_NE(stored.find("EnableVSync=1\n"), std::string::npos) << stored;
    EXPECT_NE(stored.find("SlideshowPictures=\n"), std::string::npos) << stored;
}

TEST_F(SettingsDialogTest, CheckBoxesChangeMemoryAndTheCloseBoxDiscards)
{
    OptionsStore store("Dialog test", options_);
    ASSERT_EQ(store.Save(), 0);
    const std::string before = StoredText();

    SettingsDialog dialog(store, fps_, vsync_, pictures_);
    FakeSettingsView view(dialog);
    dialog.OnInit(view);
    dialog.OnShow();
    view.Click(platform::kShowFpsCheckBox);
    view.Click(platform::kEnableVSyncCheckBox);
    EXPECT_EQ(fps_.Value(), 1);
    EXPECT_EQ(vsync_.Value(), 0);
    view.Click(platform::kShowFpsCheckBox);
    EXPECT_EQ(fps_.Value(), 0);
    view.Click(platform::kShowFpsCheckBox);

    dialog.OnClose();
    EXPECT_EQ(view.endedWith, 1);
    EXPECT_EQ(StoredText(), before);
    StoredOptionsParameter_long reloaded("EnableFPS", 5);
    StoredOptionsParameter* reloadedOptions[] = {&reloaded, nullptr};
    OptionsStore fresh("Dialog test", reloadedOptions);
    EXPECT_EQ(reloaded.Value(), 0);
}

TEST_F(SettingsDialogTest, AnEditedCollectionIsSavedOnlyByConfirm)
{
    OptionsStore store("Dialog test", options_);
    ASSERT_EQ(store.Save(), 0);
    SettingsDialog dialog(store, fps_, vsync_, pictures_);
    FakeSettingsView view(dialog);
    ScriptedLibraryView library;
    library.files = {"/pictures/b.png", "/pictures/a.jpg"};
    view.imageLibrary = [&library](platform::ImageLibraryDialogHandler& handler) {
        handler.OnInit(library);
        handler.OnCommand(platform::kAddFileButton);
        handler.OnCommand(platform::kAcceptButton);
        handler.OnDestroy();
        return library.endedWith;
    };
    dialog.OnInit(view);
    dialog.OnShow();

    dialog.OnCommand(platform::kEditImageLibraryButton);
    EXPECT_EQ(library.endedWith, 0);
    EXPECT_EQ(view.endedWith, -100);
    std::string text;
    pictures_.SaveToText(&text);
    EXPECT_EQ(text, "2/pictures/a.jpg;2/pictures/b.png");
    EXPECT_NE(StoredText().find("SlideshowPictures=\n"), std::string::npos) << "not saved before Confirm";

    dialog.OnCommand(platform::kConfirmSettingsButton);
    EXPECT_NE(StoredText().find("SlideshowPictures=2/pictures/a.jpg;2/pictures/b.png\n"), std::string::npos)
        << StoredText();
}

TEST(SettingsDialogModeTest, WithoutADisplayItEndsWithAMessageAndChangesNothing)
{
    UnsetTestEnvironment("DISPLAY");
    UnsetTestEnvironment("WAYLAND_DISPLAY");
    const std::int32_t fps = EnableFPS.Value();
    ::testing::internal::CaptureStderr();
    const int result = RunSettingsDialog(0);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, -1);
    EXPECT_NE(printed.find("settings dialog cannot be opened"), std::string::npos) << printed;
    EXPECT_EQ(EnableFPS.Value(), fps);
}
