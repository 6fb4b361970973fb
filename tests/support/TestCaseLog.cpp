// Every test case writes a log of its own: ctest runs a program's cases as processes side
// by side, and each would otherwise truncate and write the one log beside the program.
// Linked into every test program through zentharis_test_support (see tests/CMakeLists.txt).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/ProcessObjects.h"
#include "platform/ExecutablePath.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/TestSupport.h"

namespace {

// Handed to the processes a case starts: a death test's child runs the program again,
// and Google Test tells its listeners nothing there.
const char kCaseLogVariable[] = "ZEN_TEST_CASE_LOG";

std::string currentCaseLog;

void StartCaseLog(const std::string& path)
{
    currentCaseLog = path;
    TheEventLog.Restart(path);
}

class CaseLogStarter : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& test) override
    {
        // Parameterised names hold slashes.
        std::string name = std::string(test.test_suite_name()) + "." + test.name();
        for (char& c : name) {
            if (c == '/' || c == '\\')
                c = '_';
        }
        const std::filesystem::path folder = std::filesystem::path(ZEN_BUILD_DIR) / "test-work" / "case-logs" /
                                             std::filesystem::path(platform::ExecutablePath()).stem();
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        const std::string path = (folder / (name + ".log")).string();
        SetTestEnvironment(kCaseLogVariable, path.c_str());
        StartCaseLog(path);
    }
};

// In a death test's child: the log of the case that started it, begun anew.
class ChildProcessLog : public testing::Environment {
    void SetUp() override
    {
        const char* path = std::getenv(kCaseLogVariable);
        if (path != nullptr && path[0] != '\0')
            StartCaseLog(path);
    }
};

const bool kCaseLogsStarted = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new CaseLogStarter());
    testing::AddGlobalTestEnvironment(new ChildProcessLog());
    return true;
}();

}  // namespace

std::string TestCaseLogPath() { return currentCaseLog; }
