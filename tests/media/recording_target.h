#pragma once
// A notify target that records what the player posts, for tests.

#include "media/notify_target.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace media::test {

class RecordingTarget : public NotifyTarget {
public:
    bool exists() const override { return exists_; }
    void post(int percent) override
    {
        std::lock_guard lock(mutex_);
        posts_.push_back(percent);
    }

    std::vector<int> posts() const
    {
        std::lock_guard lock(mutex_);
        return posts_;
    }
    bool ended() const
    {
        auto p = posts();
        return !p.empty() && p.back() == 100;
    }
    void vanish() { exists_ = false; }

private:
    std::atomic<bool> exists_ = true;
    mutable std::mutex mutex_;
    std::vector<int> posts_;
};

} // namespace media::test
