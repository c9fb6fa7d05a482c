#pragma once
// Time and waiting for the whole program. Every thread that sleeps or waits for long goes
// through a Clock, so the headless platform can run program time virtually and know when
// all threads are idle. Not for short critical sections: an OwnedMutex is fine there.

#include "platform/owned_mutex.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace platform {

using Millis = std::int64_t;

// Thrown out of a Clock wait in a thread whose stop was requested; the thread's entry
// (Clock::startThread) catches it, so cancellation unwinds the thread cleanly.
struct ThreadCancelled { };

// A mutex whose waiters count as blocked for the clock. Use it for locks that may be held
// across a sleep (a critical section of the application). Recursive: the owner may lock it
// again and unlocks it as often. Waiting for it is not interrupted by a stop request.
class Mutex {
public:
    virtual ~Mutex() = default;
    virtual void lock() = 0;
    virtual void unlock() = 0;
};

// A condition variable paired with an OwnedMutex. The predicate is checked under the lock.
// wait returns true when the predicate holds, false on timeout; a stop request for the
// calling thread throws ThreadCancelled. timeout < 0 waits forever.
class CondVar {
public:
    virtual ~CondVar() = default;
    [[nodiscard]] virtual bool wait(
        std::unique_lock<OwnedMutex>& lock, const std::function<bool()>& ready, Millis timeout = -1)
        = 0;
    virtual void notifyAll() = 0;
};

// A thread started through the clock. Destroying the handle detaches the thread.
class Thread {
public:
    virtual ~Thread() = default;
    // Cooperative cancellation: the thread's current or next Clock wait throws ThreadCancelled.
    virtual void requestStop() = 0;
    [[nodiscard]] virtual bool finished() const = 0;
    // Waits until the body has returned. Not from the thread itself.
    virtual void join() = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic milliseconds, for timers and intervals.
    [[nodiscard]] virtual Millis now() const = 0;
    // Wall time as milliseconds since 1970-01-01 00:00 UTC, for the time of day.
    [[nodiscard]] virtual std::int64_t wallMillis() const = 0;
    // Sleeps the calling thread (negative = 0). Throws ThreadCancelled if the thread was stopped.
    virtual void sleep(Millis ms) = 0;
    [[nodiscard]] virtual std::unique_ptr<Thread> startThread(std::function<void()> body) = 0;
    [[nodiscard]] virtual std::unique_ptr<Mutex> makeMutex() = 0;
    [[nodiscard]] virtual std::unique_ptr<CondVar> makeCondVar() = 0;
    // True when the calling thread was started by startThread and asked to stop.
    [[nodiscard]] virtual bool stopRequested() const = 0;
};

} // namespace platform
