#pragma once
// Where a program without a window sends a track's reports: each report goes to an optional
// callback, and a thread can sleep until the end is reported, so the waiting costs no wake-ups
// of its own.

#include "media/notify_target.h"

#include <condition_variable>
#include <functional>
#include <mutex>

namespace media {

class EndWaiter final : public NotifyTarget {
public:
    // `onReport` sees every percent, on the player's thread.
    explicit EndWaiter(std::function<void(int percent)> onReport = {});

    bool exists() const override { return true; }
    void post(int percent) override;
    // Returns once 100 has been posted.
    void waitForEnd();

private:
    const std::function<void(int)> onReport_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool ended_ = false;
};

} // namespace media
