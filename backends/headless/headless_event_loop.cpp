#include "backends/headless/headless_event_loop.h"

#include "platform/process.h"

#include <algorithm>
#include <limits>
#include <tuple>

namespace platform::headless {

namespace {

Millis atLeastOne(Millis interval)
{
    return std::max<Millis>(interval, 1);
}

} // namespace

HeadlessEventLoop::HeadlessEventLoop(HeadlessClock& clock)
    : clock_(clock)
    , loopThread_(std::this_thread::get_id())
{
    clock_.setScheduledWork(this);
}

HeadlessEventLoop::~HeadlessEventLoop()
{
    clock_.setScheduledWork(nullptr);
}

void HeadlessEventLoop::post(std::function<void()> fn)
{
    // Read before taking mutex_: the clock's mutex comes first in the lock order.
    const Millis now = clock_.now();
    std::lock_guard lock(mutex_);
    posted_.push_back({ nextSequence_++, now, std::move(fn) });
}

TimerId HeadlessEventLoop::startTimer(Millis interval, std::function<void()> tick)
{
    const Millis now = clock_.now();
    interval = atLeastOne(interval);
    std::lock_guard lock(mutex_);
    const TimerId id = nextTimerId_++;
    timers_.emplace(id,
        Timer { interval, now + interval, nextSequence_++,
            std::make_shared<std::function<void()>>(std::move(tick)) });
    return id;
}

void HeadlessEventLoop::setTimerInterval(TimerId id, Millis interval)
{
    const Millis now = clock_.now();
    std::lock_guard lock(mutex_);
    const auto timer = timers_.find(id);
    if (timer == timers_.end())
        return;
    timer->second.interval = atLeastOne(interval);
    timer->second.due = now + timer->second.interval;
    timer->second.sequence = nextSequence_++;
}

void HeadlessEventLoop::stopTimer(TimerId id)
{
    std::lock_guard lock(mutex_);
    timers_.erase(id);
}

void HeadlessEventLoop::processPending()
{
    const Millis now = clock_.now();
    while (clock_.step(now, false)) { }
    std::uint64_t postedBefore = 0;
    {
        std::lock_guard lock(mutex_);
        postedBefore = nextSequence_;
    }
    while (dispatchNext(postedBefore))
        clock_.settle();
}

bool HeadlessEventLoop::runUntil(const std::function<bool()>& done)
{
    for (;;) {
        if (exitCode())
            return false;
        if (done())
            return true;
        if (!clock_.step(std::nullopt, true))
            return false;
    }
}

int HeadlessEventLoop::run()
{
    runUntil([] { return false; });
    return exitCode().value_or(0);
}

void HeadlessEventLoop::quit(int exitCode)
{
    std::lock_guard lock(mutex_);
    if (!exitCode_)
        exitCode_ = exitCode;
}

bool HeadlessEventLoop::onLoopThread() const
{
    return std::this_thread::get_id() == loopThread_;
}

Clock& HeadlessEventLoop::clock()
{
    return clock_;
}

std::optional<int> HeadlessEventLoop::exitCode() const
{
    std::lock_guard lock(mutex_);
    return exitCode_;
}

std::optional<Millis> HeadlessEventLoop::nextDue() const
{
    std::lock_guard lock(mutex_);
    if (exitCode_)
        return std::nullopt;
    std::optional<Millis> due;
    if (!posted_.empty())
        due = posted_.front().at;
    for (const auto& [id, timer] : timers_)
        due = std::min(due.value_or(timer.due), timer.due);
    return due;
}

bool HeadlessEventLoop::dispatchOne()
{
    return dispatchNext(std::numeric_limits<std::uint64_t>::max());
}

bool HeadlessEventLoop::dispatchNext(std::uint64_t postedBefore)
{
    const Millis now = clock_.now();
    std::function<void()> task;
    std::shared_ptr<std::function<void()>> tick;
    {
        std::lock_guard lock(mutex_);
        if (exitCode_)
            return false;
        const auto timer = earliestDueTimerLocked(now);
        const bool postReady = !posted_.empty() && posted_.front().sequence < postedBefore;
        const bool postFirst = postReady
            && (timer == timers_.end()
                || std::tie(posted_.front().at, posted_.front().sequence)
                    < std::tie(timer->second.due, timer->second.sequence));
        if (postFirst) {
            task = std::move(posted_.front().fn);
            posted_.pop_front();
        } else if (timer != timers_.end()) {
            Timer& due = timer->second;
            // Reschedule before the tick runs, so the tick may change or stop its own timer.
            // Ticks missed while the driving thread slept are skipped, not fired in a burst.
            due.due += due.interval;
            if (due.due <= now)
                due.due = now + due.interval;
            due.sequence = nextSequence_++;
            tick = due.tick;
        } else {
            return false;
        }
    }
    dispatch(tick ? *tick : task);
    return true;
}

void HeadlessEventLoop::dispatch(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const ProgramEnded& ended) {
        quit(ended.exitCode);
    }
}

std::map<TimerId, HeadlessEventLoop::Timer>::iterator HeadlessEventLoop::earliestDueTimerLocked(
    Millis now)
{
    mutex_.assertHeld();
    auto earliest = timers_.end();
    for (auto timer = timers_.begin(); timer != timers_.end(); ++timer) {
        if (timer->second.due > now)
            continue;
        if (earliest == timers_.end()
            || std::tie(timer->second.due, timer->second.sequence)
                < std::tie(earliest->second.due, earliest->second.sequence))
            earliest = timer;
    }
    return earliest;
}

} // namespace platform::headless
