#include "media/end_waiter.h"

namespace media {

EndWaiter::EndWaiter(std::function<void(int percent)> onReport)
    : onReport_(std::move(onReport))
{
}

void EndWaiter::post(int percent)
{
    if (onReport_)
        onReport_(percent);
    if (percent != 100)
        return;
    std::lock_guard lock(mutex_);
    ended_ = true;
    changed_.notify_all();
}

void EndWaiter::waitForEnd()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return ended_; });
}

} // namespace media
