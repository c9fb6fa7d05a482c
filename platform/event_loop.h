#pragma once
// The interface thread's message loop. Only post() may be called from other threads.

#include "platform/clock.h"

#include <cstdint>
#include <functional>

namespace platform {

using TimerId = std::uint64_t;

class EventLoop {
public:
    virtual ~EventLoop() = default;

    // Queues fn to run on the interface thread, in posting order. Safe from any thread.
    virtual void post(std::function<void()> fn) = 0;

    // A repeating timer; the first tick comes one interval after the start.
    virtual TimerId startTimer(Millis interval, std::function<void()> tick) = 0;
    // Changes the interval of a running timer; its schedule restarts from now.
    virtual void setTimerInterval(TimerId id, Millis interval) = 0;
    virtual void stopTimer(TimerId id) = 0;

    // Dispatches what is already due, then returns.
    virtual void processPending() = 0;
    // Runs a nested loop until done() is true after some dispatch or quit() is called.
    // Returns false when the loop was quit (or, headless, when nothing can happen any more).
    [[nodiscard]] virtual bool runUntil(const std::function<bool()>& done) = 0;
    // Runs until quit(); returns the exit code.
    [[nodiscard]] virtual int run() = 0;
    virtual void quit(int exitCode) = 0;

    [[nodiscard]] virtual bool onLoopThread() const = 0;
    virtual Clock& clock() = 0;
};

} // namespace platform
