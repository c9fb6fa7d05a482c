#pragma once
// The bookkeeping behind the headless clock's blocking primitives. Internal to this folder.

#include "backends/headless/headless_clock.h"

#include <list>

namespace platform::headless::detail {

using WaitQueue = std::list<Waiter*>;

// A thread started through the headless clock. The clock's mutex guards every field but
// `thread`, which only the clock touches (under the mutex when starting, alone when joining).
struct ThreadRecord {
    explicit ThreadRecord(const HeadlessClock& owner)
        : clock(owner)
    {
    }

    const HeadlessClock& clock;
    bool stopRequested = false;
    bool finished = false;
    Waiter* waiting = nullptr; // the wait it is blocked in, if any
    WaitQueue joiners;
    std::thread thread;
};

// One wait of one thread: linked into the timeline when it has a deadline and into the queue
// of what it waits for. It lives on the waiting thread's stack; the clock's mutex guards it,
// and whoever wakes it unlinks it.
struct Waiter {
    Waiter(ThreadRecord* waitingThread, bool stoppable)
        : thread(waitingThread)
        , interruptible(stoppable)
    {
    }

    void linkInto(WaitQueue& waitQueue)
    {
        queueEntry = waitQueue.insert(waitQueue.end(), this);
        queue = &waitQueue;
    }
    void linkAt(Timeline& timeline, Millis deadline)
    {
        deadlineEntry = timeline.emplace(deadline, this);
    }

    void unlink(Timeline& timeline)
    {
        if (deadlineEntry)
            timeline.erase(*deadlineEntry);
        deadlineEntry.reset();
        if (queue)
            queue->erase(queueEntry);
        queue = nullptr;
    }

    ThreadRecord* const thread; // nullptr: the driving thread, which is never counted as running
    const bool interruptible; // a stop request ends the wait
    const std::thread::id id = std::this_thread::get_id();
    bool woken = false;
    std::condition_variable_any wakeUp;
    std::optional<Timeline::iterator> deadlineEntry;
    WaitQueue* queue = nullptr;
    WaitQueue::iterator queueEntry;
};

} // namespace platform::headless::detail
