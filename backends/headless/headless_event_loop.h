#pragma once
// The interface thread's loop on virtual time. It does nothing by itself: the thread that
// drives the clock runs its work through HeadlessClock::advance, processPending and the
// nested loops. Posts and timers due at the same virtual time run in the order they were
// scheduled. Stop the clock's threads before destroying the loop: they may still post.

#include "backends/headless/headless_clock.h"
#include "platform/event_loop.h"
#include "platform/owned_mutex.h"

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>

namespace platform::headless {

class HeadlessEventLoop final : public EventLoop, private ScheduledWork {
public:
    explicit HeadlessEventLoop(HeadlessClock& clock);
    ~HeadlessEventLoop() override;
    HeadlessEventLoop(const HeadlessEventLoop&) = delete;
    HeadlessEventLoop& operator=(const HeadlessEventLoop&) = delete;

    void post(std::function<void()> fn) override;
    // Intervals below 1 ms count as 1 ms: a zero interval would fire forever at one instant.
    TimerId startTimer(Millis interval, std::function<void()> tick) override;
    void setTimerInterval(TimerId id, Millis interval) override;
    void stopTimer(TimerId id) override;

    // Lets threads due now run, then dispatches the timers due now and what was posted
    // before the call; virtual time stands still.
    void processPending() override;
    // Moves virtual time from event to event until done(); false once quit, or when no
    // thread, timer or post can ever make anything happen again.
    bool runUntil(const std::function<bool()>& done) override;
    // Returns the exit code once quit, or 0 when nothing can happen any more.
    int run() override;
    // Safe from any thread. The first exit code wins; afterwards nothing is dispatched.
    void quit(int exitCode) override;

    bool onLoopThread() const override;
    Clock& clock() override;

    // The code passed to quit() or carried by a ProgramEnded out of a handler, if any.
    std::optional<int> exitCode() const;

private:
    struct Posted {
        std::uint64_t sequence;
        Millis at;
        std::function<void()> fn;
    };
    struct Timer {
        Millis interval;
        Millis due;
        std::uint64_t sequence; // taken when (re)scheduled, to order ties with posts
        std::shared_ptr<std::function<void()>> tick; // shared: a tick may stop its own timer
    };

    std::optional<Millis> nextDue() const override;
    bool dispatchOne() override;
    // Runs the earliest due timer or post, considering only posts numbered below postedBefore.
    bool dispatchNext(std::uint64_t postedBefore);
    void dispatch(const std::function<void()>& fn);
    std::map<TimerId, Timer>::iterator earliestDueTimerLocked(Millis now);

    HeadlessClock& clock_;
    const std::thread::id loopThread_;

    // mutex_ guards everything below. Lock order: docs/architecture.md.
    mutable platform::OwnedMutex mutex_;
    std::deque<Posted> posted_;
    std::map<TimerId, Timer> timers_;
    TimerId nextTimerId_ = 1;
    std::uint64_t nextSequence_ = 0;
    std::optional<int> exitCode_;
};

} // namespace platform::headless
