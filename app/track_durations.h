#pragma once
// Track lengths, measured on a worker thread and kept in memory, so that the slot tree and
// the status row can show lengths without the interface thread ever reading a track file.
// A track is measured again when its size or modification time has changed since.
// Not a player and not a store on disk: it counts frames (media_length.h) and forgets all at
// the program's end.
//
// Threads: request() and length() from any thread; `measured` callbacks run on the
// interface thread through the event loop. mutex_ guards lengths_, queue_ and stopping_.

#include "runtime/text.h"

#include "platform/event_loop.h"
#include "platform/file_system.h"
#include "platform/owned_mutex.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace app {

using runtime::Text;

class TrackDurations {
public:
    enum class State { unknown, measured, unmeasurable };
    struct Length {
        State state = State::unknown;
        std::int64_t millis = 0; // when measured
    };

    // Tracks are looked at and read through `files`.
    TrackDurations(platform::EventLoop& loop, platform::FileSystem& files);
    ~TrackDurations();
    TrackDurations(const TrackDurations&) = delete;
    TrackDurations& operator=(const TrackDurations&) = delete;

    // What is known of the track now; unknown while it waits to be measured.
    Length length(const Text& path) const;
    // The track's length when it was measured from the file as it stands now (same size and
    // modification time), so a track can start without being read on the interface thread;
    // nothing when it was not measured or has changed since. Costs one look at the file.
    [[nodiscard]] std::optional<std::int64_t> currentLength(const Text& path) const;
    // Has the tracks measured that are new or changed; `measured` runs on the interface
    // thread when one of them got a new length. False when the worker could not be started.
    [[nodiscard]] bool request(const std::vector<Text>& paths, std::function<void()> measured);

private:
    struct Entry {
        Length length;
        std::int64_t size = -1;
        std::int64_t modified = 0;
    };
    struct Job {
        std::vector<Text> paths;
        std::function<void()> measured;
    };

    void work();
    // Measures the track when it changed since its entry was made; true when it was.
    [[nodiscard]] bool refresh(const Text& path);

    platform::EventLoop& loop_;
    platform::FileSystem& files_;
    std::unique_ptr<platform::CondVar> wake_; // waits for: a job queued, or stopping_
    mutable platform::OwnedMutex mutex_;
    std::map<Text, Entry> lengths_;
    std::deque<Job> queue_;
    bool stopping_ = false;
    std::unique_ptr<platform::Thread> worker_; // started at the first request
    std::shared_ptr<int> alive_ = std::make_shared<int>();
};

// "mm:ss" for a track's length; from an hour on "h:mm:ss".
[[nodiscard]] Text durationText(std::int64_t millis);

} // namespace app
