#include "backends/headless/headless_clock.h"

#include "backends/headless/waiter.h"
#include "platform/process.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

namespace platform::headless {

using detail::ThreadRecord;
using detail::Waiter;

namespace {

// The record of the calling thread when a headless clock started it.
thread_local ThreadRecord* currentThread = nullptr;

} // namespace

// A handle on a started thread; the clock owns the thread itself and joins it.
class HeadlessThread final : public Thread {
public:
    HeadlessThread(HeadlessClock& clock, std::shared_ptr<ThreadRecord> record)
        : clock_(clock)
        , record_(std::move(record))
    {
    }

    void requestStop() override
    {
        std::lock_guard lock(clock_.mutex_);
        clock_.requestStopLocked(*record_);
    }

    bool finished() const override
    {
        std::lock_guard lock(clock_.mutex_);
        return record_->finished;
    }

    void join() override { clock_.join(*record_); }

private:
    HeadlessClock& clock_;
    std::shared_ptr<ThreadRecord> record_;
};

HeadlessClock::HeadlessClock(std::int64_t startWallMillis, std::chrono::milliseconds stallLimit)
    : driver_(std::this_thread::get_id())
    , stallLimit_(stallLimit)
    , wallAtZero_(startWallMillis)
{
}

HeadlessClock::~HeadlessClock()
{
    stopAllThreads();
}

Millis HeadlessClock::now() const
{
    std::lock_guard lock(mutex_);
    return now_;
}

std::int64_t HeadlessClock::wallMillis() const
{
    std::lock_guard lock(mutex_);
    return wallAtZero_ + now_;
}

void HeadlessClock::setWallMillis(std::int64_t wallMillis)
{
    std::lock_guard lock(mutex_);
    wallAtZero_ = wallMillis - now_;
}

bool HeadlessClock::stopRequested() const
{
    const ThreadRecord* self = currentThread;
    std::lock_guard lock(mutex_);
    return self && &self->clock == this && self->stopRequested;
}

void HeadlessClock::sleep(Millis ms)
{
    ThreadRecord* self = waitingThread();
    Lock lock(mutex_);
    throwIfStoppedLocked(self);
    if (ms <= 0)
        return;
    Waiter waiter(self, true);
    waiter.linkAt(timeline_, now_ + ms);
    blockLocked(lock, waiter);
    throwIfStoppedLocked(self);
}

std::unique_ptr<Thread> HeadlessClock::startThread(std::function<void()> body)
{
    joinFinishedThreads();
    auto record = std::make_shared<ThreadRecord>(*this);
    std::lock_guard lock(mutex_);
    record->stopRequested = stoppingAll_;
    record->thread = std::thread([this, self = record.get(), body = std::move(body)]() mutable {
        currentThread = self;
        try {
            body();
        } catch (const ThreadCancelled&) {
        } catch (const ProgramEnded&) {
        }
        // The body's captures may own things that wait on the clock; release them while
        // the thread still counts as running.
        body = nullptr;
        finish(*self);
    });
    // Running from the start (the body cannot reach the clock before mutex_ is released):
    // the driver must not see quiescence before the body first blocks.
    ++running_;
    threads_.push_back(record);
    return std::make_unique<HeadlessThread>(*this, std::move(record));
}

void HeadlessClock::advance(Millis ms)
{
    requireDriver();
    const Millis target = now() + std::max<Millis>(ms, 0);
    while (step(target, true)) { }
}

void HeadlessClock::settle()
{
    requireDriver();
    Lock lock(mutex_);
    settleLocked(lock);
}

bool HeadlessClock::step(std::optional<Millis> limit, bool dispatchWork)
{
    requireDriver();
    return stepUnlessWoken(limit, dispatchWork, nullptr);
}

bool HeadlessClock::stepUnlessWoken(
    std::optional<Millis> limit, bool dispatchWork, const detail::Waiter* driverWaiter)
{
    Lock lock(mutex_);
    settleLocked(lock);
    // What the threads did while settling may have ended the driving thread's wait; moving
    // time on then would make the wait last until some unrelated deadline.
    if (driverWaiter && driverWaiter->woken)
        return true;
    if (wakeDueSleeperLocked())
        return true;
    ScheduledWork* work = dispatchWork ? work_ : nullptr;
    const std::optional<Millis> workDue = work ? work->nextDue() : std::nullopt;
    if (workDue && *workDue <= now_) {
        lock.unlock();
        work->dispatchOne();
        return true;
    }
    std::optional<Millis> next = workDue;
    if (!timeline_.empty())
        next = std::min(next.value_or(timeline_.begin()->first), timeline_.begin()->first);
    if (limit)
        next = std::min(next.value_or(*limit), *limit);
    if (!next || *next <= now_)
        return false;
    now_ = *next;
    return true;
}

void HeadlessClock::setScheduledWork(ScheduledWork* work)
{
    std::lock_guard lock(mutex_);
    work_ = work;
}

void HeadlessClock::stopAllThreads()
{
    requireDriver();
    for (;;) {
        std::vector<std::shared_ptr<ThreadRecord>> stopped;
        {
            Lock lock(mutex_);
            stoppingAll_ = true;
            if (threads_.empty())
                return;
            for (auto& thread : threads_)
                requestStopLocked(*thread);
            const bool allFinished = idle_.wait_for(lock, stallLimit_, [&] {
                return std::all_of(threads_.begin(), threads_.end(),
                    [](const auto& thread) { return thread->finished; });
            });
            if (!allFinished) {
                // Destroying what a live thread still uses would be worse than stopping here.
                std::fprintf(stderr,
                    "headless clock: a started thread did not end within %lld ms of a stop "
                    "request\n",
                    static_cast<long long>(stallLimit_.count()));
                std::abort();
            }
            stopped.swap(threads_);
        }
        for (auto& thread : stopped)
            thread->thread.join();
    }
}

ThreadRecord* HeadlessClock::waitingThread() const
{
    if (currentThread && &currentThread->clock == this)
        return currentThread;
    if (std::this_thread::get_id() != driver_)
        throw std::logic_error("headless clock: a wait from a thread that was not started through "
                               "the clock and does not drive it");
    return nullptr;
}

void HeadlessClock::requireDriver() const
{
    if (std::this_thread::get_id() != driver_)
        throw std::logic_error("headless clock: only the thread that created it may drive it");
}

void HeadlessClock::throwIfStoppedLocked(const ThreadRecord* thread) const
{
    mutex_.assertHeld();
    if (thread && thread->stopRequested)
        throw ThreadCancelled {};
}

void HeadlessClock::blockLocked(Lock& lock, Waiter& waiter)
{
    mutex_.assertHeld();
    if (ThreadRecord* thread = waiter.thread) {
        thread->waiting = &waiter;
        if (--running_ == 0)
            idle_.notify_all();
        waiter.wakeUp.wait(lock, [&] { return waiter.woken; });
        thread->waiting = nullptr;
        return;
    }
    // The driving thread waits by moving virtual time on (without the event loop's work).
    while (!waiter.woken) {
        lock.unlock();
        bool progressed = false;
        try {
            progressed = stepUnlessWoken(std::nullopt, false, &waiter);
        } catch (...) {
            lock.lock();
            waiter.unlink(timeline_);
            throw;
        }
        lock.lock();
        if (!progressed && !waiter.woken) {
            waiter.unlink(timeline_);
            throw ClockStalled("headless clock: the driving thread waits for something that no "
                               "thread and no deadline can bring about");
        }
    }
}

void HeadlessClock::wakeLocked(Waiter& waiter)
{
    mutex_.assertHeld();
    if (waiter.woken)
        return;
    waiter.unlink(timeline_);
    waiter.woken = true;
    if (waiter.thread) {
        ++running_;
        waiter.wakeUp.notify_one();
    }
}

bool HeadlessClock::wakeDueSleeperLocked()
{
    mutex_.assertHeld();
    if (timeline_.empty() || timeline_.begin()->first > now_)
        return false;
    wakeLocked(*timeline_.begin()->second);
    return true;
}

void HeadlessClock::settleLocked(Lock& lock)
{
    mutex_.assertHeld();
    if (!idle_.wait_for(lock, stallLimit_, [&] { return running_ == 0; }))
        throw ClockStalled("headless clock: " + std::to_string(running_)
            + " started thread(s) ran for " + std::to_string(stallLimit_.count())
            + " ms of real time without blocking on the clock");
}

void HeadlessClock::requestStopLocked(ThreadRecord& thread)
{
    mutex_.assertHeld();
    thread.stopRequested = true;
    if (thread.waiting && thread.waiting->interruptible)
        wakeLocked(*thread.waiting);
}

void HeadlessClock::join(ThreadRecord& thread)
{
    ThreadRecord* self = waitingThread();
    if (self == &thread)
        throw std::logic_error("headless clock: a thread cannot join itself");
    Lock lock(mutex_);
    while (!thread.finished) {
        Waiter waiter(self, false);
        waiter.linkInto(thread.joiners);
        blockLocked(lock, waiter);
    }
}

void HeadlessClock::finish(ThreadRecord& thread)
{
    std::lock_guard lock(mutex_);
    thread.finished = true;
    --running_;
    while (!thread.joiners.empty())
        wakeLocked(*thread.joiners.front());
    idle_.notify_all();
}

std::size_t HeadlessClock::liveThreadCount() const
{
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(
        threads_.begin(), threads_.end(), [](const auto& thread) { return !thread->finished; }));
}

void HeadlessClock::joinFinishedThreads()
{
    std::vector<std::shared_ptr<ThreadRecord>> finished;
    {
        std::lock_guard lock(mutex_);
        auto done = std::stable_partition(
            threads_.begin(), threads_.end(), [](const auto& thread) { return !thread->finished; });
        std::move(done, threads_.end(), std::back_inserter(finished));
        threads_.erase(done, threads_.end());
    }
    for (auto& thread : finished)
        thread->thread.join();
}

} // namespace platform::headless
