#include "app/track_durations.h"

#include "media/media_length.h"
#include "platform/path.h"

#include <cstdio>

namespace app {
namespace {

struct FileStamp {
    std::int64_t size = -1; // -1: no such file
    std::int64_t modified = 0; // nanoseconds
};

FileStamp stampOf(platform::FileSystem& files, const std::string& nativePath)
{
    const int descriptor = files.open(nativePath, platform::Access::read);
    if (descriptor < 0)
        return {};
    platform::FileStatus status;
    const bool known = files.status(descriptor, status) == 0;
    (void)files.close(descriptor); // read-only: nothing to lose
    if (!known)
        return {};
    return { status.size, status.modifiedNanos };
}

} // namespace

TrackDurations::TrackDurations(platform::EventLoop& loop, platform::FileSystem& files)
    : loop_(loop)
    , files_(files)
    , wake_(loop.clock().makeCondVar())
{
}

TrackDurations::~TrackDurations()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_->notifyAll();
    if (worker_) {
        worker_->requestStop();
        worker_->join();
    }
}

TrackDurations::Length TrackDurations::length(const Text& path) const
{
    std::lock_guard lock(mutex_);
    auto found = lengths_.find(path);
    return found == lengths_.end() ? Length {} : found->second.length;
}

std::optional<std::int64_t> TrackDurations::currentLength(const Text& path) const
{
    const FileStamp stamp = stampOf(files_, platform::nativePath(path));
    std::lock_guard lock(mutex_);
    auto found = lengths_.find(path);
    if (stamp.size < 0 || found == lengths_.end() || found->second.size != stamp.size
        || found->second.modified != stamp.modified
        || found->second.length.state != State::measured)
        return std::nullopt;
    return found->second.length.millis;
}

bool TrackDurations::request(const std::vector<Text>& paths, std::function<void()> measured)
{
    bool started;
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({ paths, std::move(measured) });
        if (!worker_)
            worker_ = loop_.clock().startThread([this] { work(); });
        started = worker_ != nullptr;
    }
    wake_->notifyAll();
    return started;
}

void TrackDurations::work()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_->wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        bool changed = false;
        for (const Text& path : job.paths)
            changed = refresh(path) || changed;
        if (changed && job.measured)
            loop_.post([alive = std::weak_ptr<int>(alive_), measured = std::move(job.measured)] {
                if (!alive.expired())
                    measured();
            });
    }
}

bool TrackDurations::refresh(const Text& path)
{
    const std::string native = platform::nativePath(path);
    const FileStamp stamp = stampOf(files_, native);
    {
        std::lock_guard lock(mutex_);
        auto found = lengths_.find(path);
        if (found != lengths_.end() && found->second.size == stamp.size
            && found->second.modified == stamp.modified)
            return false;
    }
    // Measured without the lock: reading a long track must not hold up the interface thread.
    const std::optional<std::int64_t> millis
        = stamp.size < 0 ? std::nullopt : media::mediaLengthMillis(native, files_);
    Entry entry { millis ? Length { State::measured, *millis } : Length { State::unmeasurable },
        stamp.size, stamp.modified };
    std::lock_guard lock(mutex_);
    lengths_[path] = entry;
    return true;
}

Text durationText(std::int64_t millis)
{
    const std::int64_t seconds = (millis + 500) / 1000;
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld",
            static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
            static_cast<long long>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(seconds / 60),
            static_cast<long long>(seconds % 60));
    return text;
}

} // namespace app
