// Where the log can be written: a fresh plain file that several copies of the saver may
// share, never a pipe, and the user's state folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/LogFile.h"
#include "tests/support/TestSupport.h"

namespace {

// Restores an environment variable when the test ends.
class SavedVariable {
public:
    explicit SavedVariable(const char* name) : name_(name)
    {
        const char* value = std::getenv(name);
        had_ = value != nullptr;
        if (had_)
            value_ = value;
    }
    ~SavedVariable()
    {
        if (had_)
            setenv(name_, value_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    bool had_ = false;
    std::string value_;
};

}  // namespace

TEST(LogFilePosix, TruncatesAndLetsTwoCopiesAddRecordsWithoutOverwriting)
{
    const std::string path = MakeTestFolder("LogFileShared") + "/zentharis.log";
    std::FILE* old = std::fopen(path.c_str(), "w");
    ASSERT_NE(old, nullptr);
    std::fputs("a record of the previous run\n", old);
    std::fclose(old);

    std::FILE* first = platform::CreateLogFile(path);
    ASSERT_NE(first, nullptr);
    std::fputs("first copy starts\n", first);
    std::fflush(first);
    // The second copy starts later and truncates; the first keeps writing.
    std::FILE* second = platform::CreateLogFile(path);
    ASSERT_NE(second, nullptr);
    std::fputs("second copy starts\n", second);
    std::fflush(second);
    std::fputs("first copy ends\n", first);
    std::fflush(first);
    std::fclose(first);
    std::fclose(second);
    EXPECT_EQ(ReadWholeFile(path), "second copy starts\nfirst copy ends\n");
}

TEST(LogFilePosix, APipeOrAFolderInTheLogsPlaceIsRefusedAtOnce)
{
    const std::string folder = MakeTestFolder("LogFileRefused");
    const std::string pipe = folder + "/zentharis.log";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    // A pipe without a reader: opening it for writing must neither block nor succeed.
    EXPECT_EQ(platform::CreateLogFile(pipe), nullptr);
    EXPECT_EQ(platform::CreateLogFile(folder), nullptr);
    EXPECT_EQ(platform::CreateLogFile(""), nullptr);
    EXPECT_EQ(platform::CreateLogFile(folder + "/missing/zentharis.log"), nullptr);
}

TEST(LogFilePosix, StateFolderFollowsXdgStateHomeOrHome)
{
    SavedVariable state("XDG_STATE_HOME");
    SavedVariable home("HOME");
    const std::string folder = MakeTestFolder("LogFileState");

    setenv("XDG_STATE_HOME", (folder + "/state/deeper/").c_str(), 1);
    EXPECT_EQ(platform::UserStateFolder(), folder + "/state/deeper/Vorelund");
    struct stat info;
    EXPECT_EQ(stat((folder + "/state/deeper/Vorelund").c_str(), &info), 0);

    // Unset, or relative (which the XDG rules say to ignore): the home's .local/state.
    setenv("HOME", (folder + "/home").c_str(), 1);
    for (const char* relative : {static_cast<const char*>(nullptr), "relative/state"}) {
        if (relative == nullptr)
            unsetenv("XDG_STATE_HOME");
        else
            setenv("XDG_STATE_HOME", relative, 1);
        EXPECT_EQ(platform::UserStateFolder(), folder + "/home/.local/state/Vorelund");
    }

    // A plain file where the folder should be: no folder.
    setenv("XDG_STATE_HOME", (folder + "/blocked").c_str(), 1);
    std::FILE* blocker = std::fopen((folder + "/blocked").c_str(), "w");
    ASSERT_NE(blocker, nullptr);
    std::fclose(blocker);
    EXPECT_EQ(platform::UserStateFolder(), "");
}
