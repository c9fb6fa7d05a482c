#pragma once
// Walks the MPEG audio frames of an open file through a bounded read window, counting them
// and noting where a given frame starts. A damaged stretch is skipped by resynchronising on
// the next confirmed frame. Used where a tag gives no trustworthy count: the track length
// and the reader stage of a playing track. Any thread; keeps nothing between calls.

#include "media/mpeg_frame.h"
#include "platform/file_system.h"

#include <cstdint>
#include <functional>
#include <limits>

namespace media {

struct FrameWalk {
    std::int64_t frames = 0;
    std::int64_t samples = 0; // per channel
    std::int64_t offset = 0; // where the walk stopped: the frame after the last one counted
    bool complete = false; // reached the end, not a limit, a read error or a cancellation
};

// Counts the frames of the stream of `first` in [from, end) of `fd`, stopping after
// `frameLimit` frames, reading through `files`. `keepGoing` is asked between reads; false
// abandons the walk.
[[nodiscard]] FrameWalk walkFrames(platform::FileSystem& files, int fd, std::int64_t from,
    std::int64_t end, const FrameHeader& first,
    std::int64_t frameLimit = std::numeric_limits<std::int64_t>::max(),
    const std::function<bool()>& keepGoing = nullptr);

} // namespace media
