#pragma once
// Virtual program time for tests. Threads started through this clock sleep, wait and lock
// on its primitives, so the clock always knows whether any of them can still make progress.
// The thread that creates the clock drives it (the interface thread of a test): advance()
// moves virtual time on, wakes sleepers in deadline order, runs the event loop's due work
// and returns only when every started thread is blocked or finished again (quiescence).
// Not for production code: nothing here runs in real time. Declare what the started threads
// use before the clock: destroying the clock stops and joins them first.

#include "platform/clock.h"
#include "platform/owned_mutex.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace platform::headless {

namespace detail {
struct ThreadRecord;
struct Waiter;
using Timeline = std::multimap<Millis, Waiter*>;
}

// Work that runs on the driving thread at virtual times: the headless event loop.
class ScheduledWork {
public:
    virtual ~ScheduledWork() = default;
    // The virtual time at which the earliest pending work is due, if there is any.
    // Called with the clock's mutex held: must not call back into the clock.
    virtual std::optional<Millis> nextDue() const = 0;
    // Runs the earliest work due at or before the clock's time; false when nothing was due.
    virtual bool dispatchOne() = 0;
};

// Raised on the driving thread when virtual time cannot go on: a started thread kept running
// for the real-time limit without ever blocking, or the driving thread waits for something
// that no thread and no deadline can bring about.
class ClockStalled : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class HeadlessClock final : public Clock {
public:
    static constexpr std::int64_t defaultStartWallMillis = 1'704'067'200'000; // 2024-01-01 UTC
    static constexpr std::chrono::milliseconds defaultStallLimit = std::chrono::seconds(10);

    explicit HeadlessClock(std::int64_t startWallMillis = defaultStartWallMillis,
        std::chrono::milliseconds stallLimit = defaultStallLimit);
    // Stops and joins every thread started through the clock.
    ~HeadlessClock() override;
    HeadlessClock(const HeadlessClock&) = delete;
    HeadlessClock& operator=(const HeadlessClock&) = delete;

    // Virtual milliseconds since the clock was created.
    Millis now() const override;
    std::int64_t wallMillis() const override;
    // On a started thread: blocks until virtual time reaches the deadline. On the driving
    // thread: moves virtual time on by itself (without running the event loop's work, as a
    // real sleep of the interface thread would not).
    void sleep(Millis ms) override;
    std::unique_ptr<Thread> startThread(std::function<void()> body) override;
    std::unique_ptr<Mutex> makeMutex() override;
    std::unique_ptr<CondVar> makeCondVar() override;
    bool stopRequested() const override;

    // Sets the time of day that corresponds to the current virtual time.
    void setWallMillis(std::int64_t wallMillis);

    // The rest is for the driving thread only.

    // Moves virtual time on by ms (negative = 0), running everything due on the way in
    // virtual-time order; returns at quiescence with the time at the target (later only if
    // the driving thread itself slept past it).
    void advance(Millis ms);
    // Waits (in real time) until every started thread is blocked or finished.
    void settle();
    // One step of virtual time: settles, then wakes one sleeper due now, or runs one item of
    // due work (when dispatchWork), or moves the time to the next deadline, never past limit.
    // At one instant sleepers wake before work runs, one at a time, so runs are repeatable.
    // False when nothing more can happen by limit (without a limit: ever).
    bool step(std::optional<Millis> limit, bool dispatchWork);
    // The event loop registers its work here; nullptr detaches it.
    void setScheduledWork(ScheduledWork* work);
    // Asks every started thread, now and later, to stop and joins them. Used before the
    // things those threads use are destroyed.
    void stopAllThreads();
    // Started threads that have not finished yet: what a test watches to see threads pile up.
    [[nodiscard]] std::size_t liveThreadCount() const;

private:
    friend class HeadlessMutex;
    friend class HeadlessCondVar;
    friend class HeadlessThread;
    using Lock = std::unique_lock<OwnedMutex>;

    // The calling thread's record when this clock started it; nullptr for the driving thread.
    // Any other thread may not wait on the clock's primitives.
    detail::ThreadRecord* waitingThread() const;
    void requireDriver() const;
    void throwIfStoppedLocked(const detail::ThreadRecord* thread) const;
    // Blocks the waiter's thread until someone wakes the waiter. The driving thread instead
    // moves virtual time on until then.
    void blockLocked(Lock& lock, detail::Waiter& waiter);
    // step() for the driving thread's own waits: does nothing once driverWaiter is woken.
    bool stepUnlessWoken(
        std::optional<Millis> limit, bool dispatchWork, const detail::Waiter* driverWaiter);
    void wakeLocked(detail::Waiter& waiter);
    // Wakes one sleeper whose deadline has come, the earliest (then first to sleep) first.
    bool wakeDueSleeperLocked();
    void settleLocked(Lock& lock);
    void requestStopLocked(detail::ThreadRecord& thread);
    void join(detail::ThreadRecord& thread);
    void finish(detail::ThreadRecord& thread);
    void joinFinishedThreads();

    const std::thread::id driver_;
    const std::chrono::milliseconds stallLimit_;

    // mutex_ guards everything below and the state of every primitive made by this clock.
    // Lock order: docs/architecture.md.
    mutable OwnedMutex mutex_;
    // Signalled when the last running thread blocks or a thread finishes.
    std::condition_variable_any idle_;
    Millis now_ = 0;
    std::int64_t wallAtZero_;
    // Started threads that are neither blocked nor finished. Whoever wakes a blocked thread
    // counts it as running before releasing mutex_, so quiescence is never seen falsely.
    int running_ = 0;
    bool stoppingAll_ = false;
    detail::Timeline timeline_;
    std::vector<std::shared_ptr<detail::ThreadRecord>> threads_;
    ScheduledWork* work_ = nullptr;
};

} // namespace platform::headless
