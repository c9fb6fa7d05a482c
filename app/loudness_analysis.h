#pragma once
// The show's tracks measured for loudness in the background, and the figures kept in the
// hall's loudness store, so a track is measured once and its gain is known when it plays.
// Not the gain or the switch (even_loudness.h) and not the meter (loudness/).
//
// Threads: the public methods run on the interface thread, except figures() (any thread);
// one worker thread, at idle priority, measures; progress and a store failure reach the
// interface thread as posted calls. mutex_ guards every field marked so; the worker holds it
// only between tracks, never while measuring, and nothing is posted while it is held.

#include "loudness/loudness_store.h"
#include "platform/event_loop.h"
#include "platform/file_system.h"
#include "platform/owned_mutex.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace app {

class LoudnessAnalysis {
public:
    // How far the tracks asked for last are: `known` of `total` have figures or cannot be
    // measured.
    struct Progress {
        int known = 0;
        int total = 0;
        [[nodiscard]] bool done() const { return known >= total; }
    };
    struct Reports {
        std::function<void(Progress)> progress; // after each track and when a job begins
        std::function<void(const std::string& why)> storeFailed; // once, the first failure
    };

    // Tracks are read through `files`.
    LoudnessAnalysis(platform::EventLoop& loop, platform::FileSystem& files, Reports reports);
    // Cancels the track being measured and waits for the worker.
    ~LoudnessAnalysis();
    LoudnessAnalysis(const LoudnessAnalysis&) = delete;
    LoudnessAnalysis& operator=(const LoudnessAnalysis&) = delete;

    // The store is at `nativePath`; the first call counts, later ones do nothing. It is opened
    // at its first use, by the worker or a track's start, not here: opening it costs the
    // start-up milliseconds. On failure the reason is reported through storeFailed and
    // nothing is measured or found; playback goes on without gains.
    void openStore(const std::string& nativePath);

    // The figures of the file now at `nativePath`: nothing when unmeasured, changed since,
    // or the store cannot answer.
    [[nodiscard]] std::optional<loudness::Loudness> figures(const std::string& nativePath);

    // Has the tracks among `nativePaths` measured that have no figures yet, in order; the
    // tracks asked for before are forgotten, and the one being measured is cancelled unless it
    // is among these. False when the worker could not be started.
    [[nodiscard]] bool measure(const std::vector<std::string>& nativePaths);
    // Forgets every track asked for and cancels the one being measured.
    void cancel();

private:
    void work();
    // Worker thread: true when `path` has figures or cannot be measured; false when cancelled.
    bool settle(const std::string& path);
    // Posted without the lock held: the event loop takes its own.
    void postProgress(Progress progress);
    void storeFailed(const std::string& why);
    // The store, opened at the first call from any thread; none when it failed or has no path.
    loudness::LoudnessStore* store();

    platform::EventLoop& loop_;
    platform::FileSystem& files_;
    const Reports reports_;
    // Set on the interface thread before the worker is asked for anything.
    std::string storePath_;
    // Opened once under storeOpened_; thread-safe itself.
    std::once_flag storeOpened_;
    std::unique_ptr<loudness::LoudnessStore> store_;
    std::atomic<bool> storeBroken_ = false;

    mutable platform::OwnedMutex mutex_;
    std::unique_ptr<platform::CondVar> wake_; // waits for: a track queued, or stopping_
    std::deque<std::string> queue_; // mutex_
    std::string current_; // mutex_: being measured, empty when none
    std::uint64_t job_ = 0; // mutex_: counts measure() calls
    std::uint64_t currentJob_ = 0; // mutex_: the job the track being measured counts for
    Progress progress_; // mutex_
    bool stopping_ = false; // mutex_
    std::atomic<bool> cancelCurrent_ = false; // read by the meter without the lock
    std::unique_ptr<platform::Thread> worker_; // mutex_; started at the first measure()
    std::shared_ptr<int> alive_ = std::make_shared<int>();
};

} // namespace app
