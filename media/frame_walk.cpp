#include "media/frame_walk.h"

#include <algorithm>
#include <vector>

namespace media {
namespace {

constexpr std::size_t windowSize = 64 * 1024;

// A read window over [from, end) of a file, refilled as the walk moves past it.
class Window {
public:
    Window(platform::FileSystem& files, int fd, std::int64_t end)
        : files_(files)
        , fd_(fd)
        , end_(end)
        , bytes_(windowSize)
    {
    }

    // The bytes from `at` on, at least `want` of them where the file has them; nothing on a
    // read error.
    std::optional<std::span<const std::uint8_t>> from(std::int64_t at, std::size_t want)
    {
        std::int64_t have = start_ + std::int64_t(size_);
        bool inside = at >= start_ && at <= have;
        if (!(inside && (at + std::int64_t(want) <= have || have >= end_)) && !fill(at))
            return std::nullopt;
        std::size_t skip = std::size_t(at - start_);
        return std::span<const std::uint8_t>(bytes_.data() + skip, size_ - skip);
    }

    bool reachesEnd() const { return start_ + std::int64_t(size_) >= end_; }

private:
    bool fill(std::int64_t at)
    {
        std::size_t want = std::size_t(std::min<std::int64_t>(bytes_.size(), end_ - at));
        std::int64_t read = files_.readAt(fd_, bytes_.data(), std::int64_t(want), at);
        if (read < 0)
            return false;
        std::size_t got = std::size_t(read);
        // A file cut short while we read ends where the bytes end.
        if (got < want)
            end_ = at + std::int64_t(got);
        start_ = at;
        size_ = got;
        return true;
    }

    platform::FileSystem& files_;
    int fd_;
    std::int64_t end_;
    std::vector<std::uint8_t> bytes_;
    std::int64_t start_ = 0;
    std::size_t size_ = 0;
};

} // namespace

FrameWalk walkFrames(platform::FileSystem& files, int fd, std::int64_t from, std::int64_t end,
    const FrameHeader& first, std::int64_t frameLimit, const std::function<bool()>& keepGoing)
{
    FrameWalk walk;
    walk.offset = from;
    Window window(files, fd, end);
    std::int64_t& at = walk.offset;
    for (std::int64_t steps = 0; at + 4 <= end; ++steps) {
        if (walk.frames >= frameLimit)
            return walk;
        if (steps % 1024 == 0 && keepGoing && !keepGoing())
            return walk;
        auto view = window.from(at, longestFrameLength + 4);
        if (!view)
            return walk;
        if (view->size() < 4)
            break;
        auto header = parseFrameHeader(*view);
        if (header && sameStream(*header, first) && at + header->frameLength <= end) {
            ++walk.frames;
            walk.samples += header->samplesPerFrame;
            at += header->frameLength;
            continue;
        }
        // Damage: carry on at the next confirmed frame. A candidate near the window's end is
        // looked at again with the window moved, so its successor can confirm it.
        view = window.from(at, windowSize);
        if (!view)
            return walk;
        bool last = window.reachesEnd();
        auto next = findFirstFrame(view->subspan(1), last);
        if (next) {
            at += 1 + std::int64_t(*next);
        } else if (last) {
            break;
        } else {
            at += std::int64_t(view->size() - 2 * (longestFrameLength + 4));
        }
    }
    walk.complete = true;
    return walk;
}

} // namespace media
