#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "app/ApplicationState.h"
#include "app/AutoResetEvent.h"
#include "app/ProcessObjects.h"
#include "app/RenderThread.h"
#include "tests/support/TestSupport.h"

namespace {

const char* const kStopRecord = "(!)Error : Render thread has not finished in time, the process is ended";

platform::WindowEvent DestroyEvent()
{
    platform::WindowEvent event;
    event.window = 55;
    event.message = platform::WindowMessage::Destroy;
    return event;
}

// A render thread that never signals its end: closing gives up after 1.5 seconds,
// says so in the log and ends the process with 0.
// When the closing began, on the steady clock every process shares: the parent's own
// clock would also count starting the child again, which a loaded machine under a
// sanitizer stretches past any bound.
std::string StartFile()
{
    std::filesystem::create_directories(std::string(ZEN_BUILD_DIR) + "/test-work");
    return std::string(ZEN_BUILD_DIR) + "/test-work/render-thread-closing-started";
}

void CloseWithAStuckRenderThread()
{
    TheApplicationState.finishedEvent = new AutoResetEvent();
    const auto start = std::chrono::steady_clock::now();
    std::ofstream(StartFile()) << std::chrono::duration_cast<std::chrono::microseconds>(start.time_since_epoch()).count();
    ScreenSaverProc(DestroyEvent());
    // Not reached when closing is bounded; a distinct status if it returned.
    std::_Exit(std::chrono::steady_clock::now() - start < std::chrono::seconds(1) ? 3 : 4);
}

}  // namespace

TEST(RenderThreadClosing, AStuckRenderThreadDelaysClosingByOneAndAHalfSecondsAtMost)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string log = TestCaseLogPath();
    std::remove(StartFile().c_str());
    EXPECT_EXIT(CloseWithAStuckRenderThread(), testing::ExitedWithCode(0), "");
    const auto end = std::chrono::steady_clock::now();
    long long startedUs = 0;
    ASSERT_TRUE(static_cast<bool>(std::ifstream(StartFile()) >> startedUs));
    const auto took = end - std::chrono::steady_clock::time_point(std::chrono::microseconds(startedUs));
    EXPECT_GE(took, std::chrono::milliseconds(1400));
    EXPECT_LT(took, std::chrono::milliseconds(3000));
    // The case's log as the child process left it: the stop record ends it, and no frame
    // rate follows.
    EXPECT_EQ(ReadTextFile(log), "   Notify : Application has run\n" + std::string(kStopRecord) + "\n");
}

TEST(RenderThreadClosing, ARenderThreadThatEndsInTimeClosesNormally)
{
    TheApplicationState.finishedEvent = new AutoResetEvent();
    std::thread renderThread([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        TheApplicationState.finishedEvent->Set();
    });
    ScreenSaverProc(DestroyEvent());
    renderThread.join();
    EXPECT_EQ(TheApplicationState.stopFlag.load(), 1);
    const std::string records = ReadTextFile(TestCaseLogPath());
    EXPECT_EQ(records.find(kStopRecord), std::string::npos);
    EXPECT_NE(records.find("   Notify : FPS = "), std::string::npos);
}
