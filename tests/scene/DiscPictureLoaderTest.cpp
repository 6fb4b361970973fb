#include "scene/DiscPictureLoader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>

#include "tests/support/TestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;
using Status = DiscPictureLoader::Status;

// A decoder that does not return until released (the test's end stands in for never).
class Gate {
public:
    bool Hold()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        ++entered_;
        opened_.wait(lock, [this] { return open_; });
        ++left_;
        opened_.notify_all();
        return false;
    }
    // Lets every held decoder return, and waits (a little) until they have.
    void Open()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        open_ = true;
        opened_.notify_all();
        opened_.wait_for(lock, std::chrono::seconds(2), [this] { return left_ == entered_; });
    }
    int Entered()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return entered_;
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
    int entered_ = 0;
    int left_ = 0;
};

// Opens the gate if the test has not finished long after it should have: a call that
// waits for a held decoder then returns, and Fired() says so, instead of hanging. A proof
// by order, not by a time bound a busy machine could break.
class GateWatchdog {
public:
    explicit GateWatchdog(std::shared_ptr<Gate> gate)
        : thread_([this, gate] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!done_.wait_for(lock, std::chrono::seconds(20), [this] { return finished_; })) {
                  fired_ = true;
                  lock.unlock();
                  gate->Open();
              }
          })
    {
    }
    ~GateWatchdog() { Finish(); }
    // Ends the watch; true when the gate had to be opened.
    bool Finish()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        if (thread_.joinable())
            thread_.join();
        return fired_;
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    bool fired_ = false;
    std::thread thread_;
};

std::uint32_t CanvasPixel(const CImage& canvas, int x, int y)
{
    const std::uint8_t* p = canvas.GetBits() + static_cast<std::ptrdiff_t>(y) * canvas.GetPitch() + x * 3;
    return std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

Status PollUntilDecided(DiscPictureLoader* loader)
{
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    Status status = loader->Poll();
    while (status == Status::Busy && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        status = loader->Poll();
    }
    return status;
}

}  // namespace

TEST(DiscPictureLoader, PaintsThePictureOntoTheDiscCanvasAndHandsItOverByExchange)
{
    const std::string folder = MakeTestFolder("DiscPictureLoaderPaint");
    std::ofstream(folder + "/green.bmp", std::ios::binary) << MakeBmp(40, 20, [](int, int) { return 0x00FF00u; });
    DiscPictureLoader loader(nullptr);
    EXPECT_EQ(loader.Poll(), Status::Idle);
    ASSERT_TRUE(loader.Request(folder + "/green.bmp"));
    EXPECT_FALSE(loader.Request(folder + "/green.bmp"));  // one at a time
    ASSERT_EQ(PollUntilDecided(&loader), Status::Painted);
    EXPECT_EQ(loader.Poll(), Status::Painted);  // until taken
    EXPECT_FALSE(loader.Request(folder + "/green.bmp"));

    std::unique_ptr<CImage> canvas(new CImage());
    ASSERT_TRUE(canvas->Create(512, 512, 24));
    const CImage* mine = canvas.get();
    loader.TakeCanvas(&canvas);
    EXPECT_NE(canvas.get(), mine);
    EXPECT_EQ(loader.Poll(), Status::Idle);
    EXPECT_EQ(CanvasPixel(*canvas, 256, 256), 0x00FF00u);
    EXPECT_EQ(CanvasPixel(*canvas, 256, 10), 0u);  // black around the picture

    // The canvas given in exchange is painted next, with no new one made.
    ASSERT_TRUE(loader.Request(folder + "/green.bmp"));
    ASSERT_EQ(PollUntilDecided(&loader), Status::Painted);
    const CImage* first = canvas.get();
    loader.TakeCanvas(&canvas);
    EXPECT_EQ(canvas.get(), mine);
    EXPECT_NE(canvas.get(), first);
}

TEST(DiscPictureLoader, AFailureIsReportedOnceAndAStopRequestDecodesNothing)
{
    const std::string folder = MakeTestFolder("DiscPictureLoaderFail");
    std::ofstream(folder + "/broken.png", std::ios::binary) << "not a png";
    DiscPictureLoader loader(nullptr);
    ASSERT_TRUE(loader.Request(folder + "/broken.png"));
    EXPECT_EQ(loader.WaitForResult(), Status::Failed);
    EXPECT_EQ(loader.Poll(), Status::Idle);
    ASSERT_TRUE(loader.Request(folder + "/missing.bmp"));
    EXPECT_EQ(loader.WaitForResult(), Status::Failed);

    std::ofstream(folder + "/good.bmp", std::ios::binary) << MakeBmp(4, 4, [](int, int) { return 0xFFFFFFu; });
    std::atomic<int> stop{1};
    int decodes = 0;
    DiscPictureLoader stopped(&stop, 3000, [&](const char*, CImage*) { return ++decodes > 0; });
    ASSERT_TRUE(stopped.Request(folder + "/good.bmp"));
    EXPECT_EQ(stopped.WaitForResult(), Status::Failed);
    EXPECT_EQ(decodes, 0);
}

TEST(DiscPictureLoader, ADecodeThatNeverEndsIsAbandonedAndANewWorkerCarriesOn)
{
    const std::string folder = MakeTestFolder("DiscPictureLoaderStuck");
    std::ofstream(folder + "/good.bmp", std::ios::binary) << MakeBmp(8, 8, [](int, int) { return 0xFF0000u; });
    auto gate = std::make_shared<Gate>();
    DiscPictureLoader loader(nullptr, 150, [gate](const char* path, CImage* picture) {
        if (std::string(path).find("stuck") != std::string::npos)
            return gate->Hold();
        return picture->Load(path) == CImage::kResultOk;
    });
    GateWatchdog watchdog(gate);
    const auto start = Clock::now();
    ASSERT_TRUE(loader.Request(folder + "/stuck.png"));
    Status status = Status::Busy;
    while (status == Status::Busy) {
        status = loader.Poll();  // returns at once: it never waits for the decoder
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(status, Status::Failed);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(150));
    EXPECT_EQ(loader.AbandonedCount(), 1);
    EXPECT_EQ(gate->Entered(), 1);

    ASSERT_TRUE(loader.Request(folder + "/good.bmp"));
    EXPECT_EQ(PollUntilDecided(&loader), Status::Painted);

    // The same through WaitForResult, which waits no longer than the time limit.
    std::unique_ptr<CImage> canvas(new CImage());
    loader.TakeCanvas(&canvas);
    ASSERT_TRUE(loader.Request(folder + "/stuck again.png"));
    EXPECT_EQ(loader.WaitForResult(), Status::Failed);
    EXPECT_EQ(loader.AbandonedCount(), 2);
    // Neither way waited for the held decoders: the watchdog never had to let them go.
    EXPECT_FALSE(watchdog.Finish());
    gate->Open();  // the abandoned workers may now end on their own
}

TEST(DiscPictureLoader, DestroyingItDoesNotWaitForADecodeInProgress)
{
    auto gate = std::make_shared<Gate>();
    GateWatchdog watchdog(gate);
    {
        DiscPictureLoader loader(nullptr, 3000, [gate](const char*, CImage*) { return gate->Hold(); });
        ASSERT_TRUE(loader.Request("anything.png"));
        while (gate->Entered() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(watchdog.Finish());
    gate->Open();
}
