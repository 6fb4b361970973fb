#include "scene/DiscPictureLoader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
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
    const auto start = Clock::now();
    ASSERT_TRUE(loader.Request(folder + "/stuck.png"));
    std::chrono::microseconds longestPoll(0);
    Status status = Status::Busy;
    while (status == Status::Busy) {
        const auto before = Clock::now();
        status = loader.Poll();
        longestPoll = std::max(longestPoll, std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - before));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_LT(Clock::now() - start, std::chrono::seconds(5));
    }
    EXPECT_EQ(status, Status::Failed);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(150));
    EXPECT_LT(longestPoll, std::chrono::milliseconds(20));  // polling never waits for the decoder
    EXPECT_EQ(loader.AbandonedCount(), 1);
    EXPECT_EQ(gate->Entered(), 1);

    ASSERT_TRUE(loader.Request(folder + "/good.bmp"));
    EXPECT_EQ(PollUntilDecided(&loader), Status::Painted);

    // The same through WaitForResult, which waits no longer than the time limit.
    std::unique_ptr<CImage> canvas(new CImage());
    loader.TakeCanvas(&canvas);
    ASSERT_TRUE(loader.Request(folder + "/stuck again.png"));
    const auto waitStart = Clock::now();
    EXPECT_EQ(loader.WaitForResult(), Status::Failed);
    EXPECT_LT(Clock::now() - waitStart, std::chrono::seconds(2));
    EXPECT_EQ(loader.AbandonedCount(), 2);
    gate->Open();  // the abandoned workers may now end on their own
}

TEST(DiscPictureLoader, DestroyingItDoesNotWaitForADecodeInProgress)
{
    auto gate = std::make_shared<Gate>();
    const auto start = Clock::now();
    {
        DiscPictureLoader loader(nullptr, 3000, [gate](const char*, CImage*) { return gate->Hold(); });
        ASSERT_TRUE(loader.Request("anything.png"));
        while (gate->Entered() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
    gate->Open();
}
