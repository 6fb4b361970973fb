// The settings file: its line ends, the lines a save does not own, links, mode, and
// what interrupted saves leave behind.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/SettingsStore.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/TestSupport.h"

namespace {

const char kKeyPath[] = "Software\\Vorelund\\File test";

class SettingsStoreFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = MakeTestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        UsePrivateSettings(folder_, "File test");
        std::filesystem::create_directories(folder_ + "/Vorelund");
    }

    std::string SettingsFile() const { return folder_ + "/Vorelund/File test.conf"; }
    void WriteSettings(const std::string& text) { std::ofstream(SettingsFile(), std::ios::binary) << text; }

    std::string folder_;
};

const platform::StoredTexts kOurs = {{"EnableFPS", "1"}, {"EnableVSync", "0"}, {"SlideshowPictures", "1/p"}};

}  // namespace

TEST_F(SettingsStoreFileTest, CrlfLineEndsAndATrailingCarriageReturnAreNotPartOfTheValues)
{
    WriteSettings("EnableFPS=1\r\n# note\r\nEnableVSync=0\r\n\r\nSlideshowPictures=1/pics;2/a.jpg\r");
    platform::StoredTexts texts;
    ASSERT_EQ(platform::ReadStoredTexts(kKeyPath, &texts), 0);
    const platform::StoredTexts expected = {
        {"EnableFPS", "1"}, {"EnableVSync", "0"}, {"SlideshowPictures", "1/pics;2/a.jpg"}};
    EXPECT_EQ(texts, expected);
}

TEST_F(SettingsStoreFileTest, SaveKeepsTheLinesItDoesNotOwnAndTheirLineEnds)
{
    WriteSettings("# written by hand\r\nOther=keep me\r\n\r\nEnableVSync=1\r\nnot a setting\r\nEnableFPS=0");
    ASSERT_EQ(platform::WriteStoredTexts(kKeyPath, kOurs), 0);
    EXPECT_EQ(ReadWholeFile(SettingsFile()),
              "# written by hand\r\nOther=keep me\r\n\r\nEnableVSync=0\r\nnot a setting\r\nEnableFPS=1\n"
              "SlideshowPictures=1/p\r\n");

    // A name given twice: both lines get the new value, so either one read is right.
    WriteSettings("EnableFPS=0\nEnableFPS=0\nTheirs=1\n");
    ASSERT_EQ(platform::WriteStoredTexts(kKeyPath, kOurs), 0);
    EXPECT_EQ(ReadWholeFile(SettingsFile()), "EnableFPS=1\nEnableFPS=1\nTheirs=1\nEnableVSync=0\nSlideshowPictures=1/p\n");
    platform::StoredTexts texts;
    ASSERT_EQ(platform::ReadStoredTexts(kKeyPath, &texts), 0);
    EXPECT_EQ(texts.size(), 5u);
}

TEST_F(SettingsStoreFileTest, SaveWritesThroughASymbolicLinkAndKeepsTheFilesMode)
{
    const std::string real = folder_ + "/elsewhere/settings.conf";
    std::filesystem::create_directories(folder_ + "/elsewhere");
    std::ofstream(real) << "EnableFPS=0\nMine=1\n";
    ASSERT_EQ(chmod(real.c_str(), 0600), 0);
    std::filesystem::create_symlink("../elsewhere/settings.conf", SettingsFile());
    ASSERT_EQ(platform::WriteStoredTexts(kKeyPath, kOurs), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(SettingsFile()));
    EXPECT_EQ(ReadWholeFile(real), "EnableFPS=1\nMine=1\nEnableVSync=0\nSlideshowPictures=1/p\n");
    struct stat info;
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    // A link whose file does not exist yet: the file is made where it points.
    std::filesystem::remove(SettingsFile());
    std::filesystem::create_symlink(folder_ + "/elsewhere/new.conf", SettingsFile());
    ASSERT_EQ(platform::WriteStoredTexts(kKeyPath, kOurs), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(SettingsFile()));
    EXPECT_NE(ReadWholeFile(folder_ + "/elsewhere/new.conf").find("EnableFPS=1\n"), std::string::npos);
}

TEST_F(SettingsStoreFileTest, AFifoInPlaceOfTheFileNeitherBlocksLoadingNorSaving)
{
    ASSERT_EQ(mkfifo(SettingsFile().c_str(), 0600), 0);
    platform::StoredTexts texts;
    EXPECT_EQ(platform::ReadStoredTexts(kKeyPath, &texts), -1);
    EXPECT_EQ(platform::WriteStoredTexts(kKeyPath, kOurs), -1);
    EXPECT_TRUE(std::filesystem::is_fifo(SettingsFile()));
}

TEST_F(SettingsStoreFileTest, SavesKilledHalfwayLeaveOneTemporaryFileAtMost)
{
    // Left by interrupted saves of an earlier version: cleaned up by the next save.
    WriteSettings("EnableFPS=0\n");
    std::ofstream(SettingsFile() + ".tmp123") << "x";
    std::ofstream(SettingsFile() + ".tmp4567") << "x";
    std::string paths;
    for (int i = 0; i < 4000; ++i)
        paths += (i ? ";1/folder number " : "1/folder number ") + std::to_string(i);
    const platform::StoredTexts big = {{"EnableFPS", "1"}, {"SlideshowPictures", paths}};
    std::mt19937 random(5);
    for (int kill = 0; kill < 150; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;)
                platform::WriteStoredTexts(kKeyPath, big);
        }
        usleep(random() % 3000);
        ::kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    // However slowly the children ran (a sanitizer's may never reach the clean-up before
    // their kill), the killed saves left one temporary name at most.
    const auto leftOver = [this] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_ + "/Vorelund"))
            if (entry.path() != SettingsFile())
                names.push_back(entry.path().filename().string());
        return names;
    };
    int fromKills = 0;
    for (const std::string& name : leftOver())
        fromKills += name.size() > 8 && name.compare(name.size() - 7, 7, ".tmp123") != 0 &&
                     name.compare(name.size() - 8, 8, ".tmp4567") != 0;
    EXPECT_LE(fromKills, 1);
    // The settings are whole: the old ones or the new ones.
    platform::StoredTexts texts;
    ASSERT_EQ(platform::ReadStoredTexts(kKeyPath, &texts), 0);
    const platform::StoredTexts old = {{"EnableFPS", "0"}};
    EXPECT_TRUE(texts == old || texts == big);
    // The next whole save leaves nothing behind.
    ASSERT_EQ(platform::WriteStoredTexts(kKeyPath, big), 0);
    EXPECT_TRUE(leftOver().empty());
}
