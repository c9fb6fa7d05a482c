#include "app/light_test_steps.h"

#include "app/application.h"
#include "app/light_program.h"
#include "app/style_settings_file.h"

namespace app {

LightTestSteps::LightTestSteps(platform::Clock& clock)
    : finished_(clock.makeCondVar())
{
}

void LightTestSteps::press(
    Application& app, std::optional<int> channel, bool on, platform::Millis holdMs)
{
    std::unique_lock lock(mutex_);
    if (stopped_)
        return;
    if (channel) {
        queue_.push_back({ *channel, on, holdMs });
    } else {
        for (int n = 1; n <= channelCount; ++n)
            queue_.push_back({ n, on, holdMs });
    }
    if (worker_)
        return;
    // Reserved before the start, so a second press never starts a second worker.
    worker_ = 0;
    lock.unlock();
    std::int32_t handle = 0;
    const bool started
        = app.threads.startThread([this, &app](std::int32_t) { drain(app); }, {}, &handle);
    lock.lock();
    if (!started) {
        // No thread to be had: the steps run here, holding the window for their waits.
        worker_.reset();
        finished_->notifyAll();
        std::deque<Step> steps = std::move(queue_);
        queue_.clear();
        lock.unlock();
        for (const Step& step : steps)
            run(app, step);
        return;
    }
    // The worker may have drained everything and gone already.
    if (worker_)
        worker_ = handle;
}

void LightTestSteps::drain(Application& app)
{
    // Whether the queue runs dry or a stop cancels a wait, the worker is gone afterwards.
    struct Leaving {
        LightTestSteps& steps;
        ~Leaving()
        {
            std::lock_guard lock(steps.mutex_);
            steps.worker_.reset();
            steps.finished_->notifyAll();
        }
    } leaving { *this };
    for (;;) {
        Step step;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty())
                return;
            step = queue_.front();
            queue_.pop_front();
        }
        run(app, step);
    }
}

void LightTestSteps::run(Application& app, const Step& step)
{
    if (step.holdMs > 0)
        app.runtime.delay(step.holdMs);
    step.on ? lightOn(app, step.channel) : lightOff(app, step.channel);
}

void LightTestSteps::stop(Application& app)
{
    std::unique_lock lock(mutex_);
    stopped_ = true;
    queue_.clear();
    if (worker_ && *worker_ != 0)
        app.threads.endThread(*worker_);
    finished_->wait(lock, [this] { return !worker_; });
}

} // namespace app
