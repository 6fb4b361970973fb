#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "settings/CImage.h"

// Decodes the tentacle's next picture on a thread of its own and paints it into a
// 512 x 512 disc canvas, well before the disc is built, so the render thread never
// waits for a decoder. A decode that outlasts the time limit is abandoned: its thread
// is left to itself with its own buffers (a decoder that never returns then costs a
// thread, never the saver) and a fresh thread takes the next request.
class DiscPictureLoader {
public:
    enum class Status { Idle, Busy, Painted, Failed };

    // Decodes the file into the (empty) holder; false when it cannot be decoded.
    using Decoder = std::function<bool(const char* path, CImage* picture)>;

    static constexpr std::uint32_t kDefaultTimeLimitMs = 3000;

    // Nothing is decoded once *stopFlag is non-zero (when given).
    explicit DiscPictureLoader(const std::atomic<int>* stopFlag, std::uint32_t timeLimitMs = kDefaultTimeLimitMs,
                               Decoder decoder = nullptr);
    // Does not wait for a decode in progress.
    ~DiscPictureLoader();
    DiscPictureLoader(const DiscPictureLoader&) = delete;
    DiscPictureLoader& operator=(const DiscPictureLoader&) = delete;

    // Starts decoding a picture; false (nothing started) while a request is pending or
    // its painted canvas has not been taken. Paths up to 4095 bytes cost no allocation.
    bool Request(const std::string& path);
    // Where the last request stands. A decode past the time limit is abandoned here.
    // Failed is reported once; the loader is then idle.
    Status Poll();
    // Like Poll, but while the request is pending waits for it, at most until its time
    // limit: for runs that must come out the same whatever the machine's speed.
    Status WaitForResult();
    // After Painted: exchanges the painted canvas with *canvas (no copy); idle again.
    void TakeCanvas(std::unique_ptr<CImage>* canvas);

    int AbandonedCount() const { return abandoned_; }

private:
    struct Shared;
    static void WorkerMain(std::shared_ptr<Shared> shared);
    // slowPicture: the abandoned decode's file, which the new worker names in the log
    // (the render thread writes no file).
    void StartWorker(const std::string& slowPicture = std::string());
    void Abandon(const std::string& slowPicture);

    const std::atomic<int>* stopFlag_;
    std::uint32_t timeLimitMs_;
    Decoder decoder_;
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
    std::uint32_t requestTick_ = 0;
    int abandoned_ = 0;
};
