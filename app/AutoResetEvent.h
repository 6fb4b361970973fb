#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// An event that one waiter consumes: Wait returns once per Set.
class AutoResetEvent {
public:
    void Set()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        signalled_ = true;
        changed_.notify_one();
    }

    void Wait()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return signalled_; });
        signalled_ = false;
    }

    // Like Wait, but gives up after the time limit: false when not signalled by then.
    bool WaitFor(unsigned milliseconds)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return signalled_; }))
            return false;
        signalled_ = false;
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_ = false;
};
