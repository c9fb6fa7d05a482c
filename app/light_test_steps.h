#pragma once
// The light test window's buttons, as steps on the indicator panel run one after another in
// the order they were pressed, on a worker thread. Each step waits its 50 ms there and then
// draws, so the panel shows every step of 灯光全亮 / 灯光全灭 while the window keeps answering.
// Not for the light program of the tracks: those threads run on their own (light_program.h).

#include "platform/clock.h"
#include "platform/owned_mutex.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

namespace app {

class Application;

class LightTestSteps {
public:
    explicit LightTestSteps(platform::Clock& clock);
    LightTestSteps(const LightTestSteps&) = delete;
    LightTestSteps& operator=(const LightTestSteps&) = delete;

    // Interface thread. Queues channel n's switch, or all sixteen channels from 1 to 16 when
    // channel is nothing; a worker starts when none runs. holdMs more is waited before the
    // switch, so a lamp stays as the step before left it long enough to be seen.
    void press(Application& app, std::optional<int> channel, bool on, platform::Millis holdMs = 0);
    // Drops what is still queued and ends the worker at its current wait; returns once it has
    // gone. Call before the windows go.
    void stop(Application& app);

private:
    struct Step {
        int channel;
        bool on;
        platform::Millis holdMs;
    };

    static void run(Application& app, const Step& step);

    // Worker thread: runs steps until the queue is empty.
    void drain(Application& app);

    // mutex_ guards queue_, worker_ and stopped_; never held during a step's wait.
    platform::OwnedMutex mutex_;
    std::deque<Step> queue_;
    // Handle of the running worker; nothing when none runs. finished_ tells stop() when it
    // becomes nothing.
    std::optional<std::int32_t> worker_;
    std::unique_ptr<platform::CondVar> finished_;
    bool stopped_ = false;
};

} // namespace app
