#pragma once
// The real clock: the steady clock for intervals, the system clock for the time of day, and
// threads whose waits a stop request interrupts. Not for tests that need determinism: those
// use the headless clock.

#include "platform/clock.h"

#include <atomic>

namespace platform {

class SystemClock final : public Clock {
public:
    [[nodiscard]] Millis now() const override;
    [[nodiscard]] std::int64_t wallMillis() const override;
    void sleep(Millis ms) override;
    [[nodiscard]] std::unique_ptr<Thread> startThread(std::function<void()> body) override;
    [[nodiscard]] std::unique_ptr<Mutex> makeMutex() override;
    [[nodiscard]] std::unique_ptr<CondVar> makeCondVar() override;
    [[nodiscard]] bool stopRequested() const override;

    // Makes the time of day read `wallMillis` now and run on from there, for a rendering that
    // must not depend on the day it is made. Any thread.
    void setWallMillis(std::int64_t wallMillis);

private:
    std::atomic<std::int64_t> wallOffset_ = 0;
};

} // namespace platform
