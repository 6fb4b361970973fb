#include "scene/DiscPictureLoader.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

#include "app/ProcessObjects.h"
#include "platform/Clock.h"
#include "scene/TentacleCycle.h"

namespace {

constexpr std::size_t kPathReserve = 4096;

bool DecodeFile(const char* path, CImage* picture) { return picture->Load(path) == CImage::kResultOk; }

}  // namespace

// What the render thread and one worker share. An abandoned worker keeps its own copy
// alive, so it never touches what a later worker uses.
struct DiscPictureLoader::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable done;
    std::string path;
    bool hasJob = false;
    bool quit = false;
    Status status = Status::Idle;
    std::unique_ptr<CImage> canvas;
    const std::atomic<int>* stopFlag = nullptr;
    Decoder decoder;
    std::string slowPicture;
};

DiscPictureLoader::DiscPictureLoader(const std::atomic<int>* stopFlag, std::uint32_t timeLimitMs, Decoder decoder)
    : stopFlag_(stopFlag), timeLimitMs_(timeLimitMs), decoder_(decoder ? std::move(decoder) : Decoder(DecodeFile))
{
    StartWorker();
}

DiscPictureLoader::~DiscPictureLoader()
{
    bool busy = false;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->quit = true;
        busy = shared_->status == Status::Busy;
        shared_->wake.notify_all();
    }
    // A worker inside a decode may never come back: closing must not wait for it.
    if (busy)
        worker_.detach();
    else
        worker_.join();
}

void DiscPictureLoader::StartWorker(const std::string& slowPicture)
{
    shared_ = std::make_shared<Shared>();
    shared_->slowPicture = slowPicture;
    shared_->path.reserve(kPathReserve);
    shared_->stopFlag = stopFlag_;
    shared_->decoder = decoder_;
    worker_ = std::thread(WorkerMain, shared_);
}

void DiscPictureLoader::WorkerMain(std::shared_ptr<Shared> shared)
{
    CImage picture;
    std::string path;
    if (!shared->slowPicture.empty())
        TheEventLog.WritePictureNotShown(shared->slowPicture, "too slow to decode");
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(shared->mutex);
            shared->wake.wait(lock, [&] { return shared->hasJob || shared->quit; });
            if (shared->quit)
                return;
            path = shared->path;
            shared->hasJob = false;
        }
        bool painted = false;
        const bool stopping = shared->stopFlag != nullptr && shared->stopFlag->load(std::memory_order_relaxed) != 0;
        const bool decoded = !stopping && shared->decoder(path.c_str(), &picture);
        {
            // Given up on while it decoded: its result is no one's, and the process may
            // be ending around it, so it touches nothing outside its own state.
            std::lock_guard<std::mutex> lock(shared->mutex);
            if (shared->quit)
                return;
        }
        if (!stopping && !decoded)
            TheEventLog.WritePictureNotShown(path, PictureFailureText(picture.LoadFailure()));
        if (decoded && picture.GetWidth() > 0 && picture.GetHeight() > 0) {
            std::unique_ptr<CImage>& canvas = shared->canvas;
            if (canvas == nullptr)
                canvas.reset(new (std::nothrow) CImage());
            const int size = TentacleCycle::kCanvasSize;
            if (canvas != nullptr && (canvas->GetWidth() == size || canvas->Create(size, size, 24))) {
                canvas->FillRect({0, 0, size, size}, 0x000000);
                const ImageRect source{0, 0, picture.GetWidth(), picture.GetHeight()};
                painted = picture.StretchBlt(canvas.get(), TentacleCycle::FitPictureToDisc(source.width, source.height),
                                             source);
            }
        }
        // The decoded picture is only needed for painting; the next one is decoded anew.
        picture.Destroy();
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->status = painted ? Status::Painted : Status::Failed;
        shared->done.notify_all();
    }
}

bool DiscPictureLoader::Request(const std::string& path)
{
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->status == Status::Busy || shared_->status == Status::Painted)
        return false;
    shared_->path.assign(path);
    shared_->hasJob = true;
    shared_->status = Status::Busy;
    requestTick_ = platform::TickCount();
    shared_->wake.notify_one();
    return true;
}

DiscPictureLoader::Status DiscPictureLoader::Poll()
{
    std::unique_lock<std::mutex> lock(shared_->mutex);
    const Status status = shared_->status;
    if (status == Status::Busy && platform::TickCount() - requestTick_ > timeLimitMs_) {
        // If the decode ever returns, its thread ends instead of waiting for work.
        shared_->quit = true;
        const std::string path = shared_->path;
        lock.unlock();
        Abandon(path);
        return Status::Failed;
    }
    if (status == Status::Failed)
        shared_->status = Status::Idle;
    return status;
}

DiscPictureLoader::Status DiscPictureLoader::WaitForResult()
{
    for (;;) {
        const Status status = Poll();
        if (status != Status::Busy)
            return status;
        std::unique_lock<std::mutex> lock(shared_->mutex);
        shared_->done.wait_for(lock, std::chrono::milliseconds(10), [&] { return shared_->status != Status::Busy; });
    }
}

void DiscPictureLoader::TakeCanvas(std::unique_ptr<CImage>* canvas)
{
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->status != Status::Painted)
        return;
    canvas->swap(shared_->canvas);
    shared_->status = Status::Idle;
}

void DiscPictureLoader::Abandon(const std::string& slowPicture)
{
    worker_.detach();
    ++abandoned_;
    StartWorker(slowPicture);
}
