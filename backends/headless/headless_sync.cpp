// The headless clock's mutex and condition variable: their waiters block on the clock, so a
// thread waiting for them counts as idle.

#include "backends/headless/headless_clock.h"

#include "backends/headless/waiter.h"

#include <cstdio>
#include <cstdlib>

namespace platform::headless {

using detail::Waiter;

namespace {

// A primitive destroyed while threads still use it would leave them touching freed memory;
// stop here with a message that names the mistake instead.
void abortIfInUse(bool inUse, const char* what)
{
    if (!inUse)
        return;
    std::fprintf(stderr,
        "headless clock: a %s was destroyed while threads use it; stop them first "
        "(HeadlessClock::stopAllThreads)\n",
        what);
    std::abort();
}

} // namespace

// Recursive, and handed over first come, first served: the unlocking thread gives ownership
// to the longest waiter before waking it, so the order of entry is deterministic.
class HeadlessMutex final : public Mutex {
public:
    explicit HeadlessMutex(HeadlessClock& clock)
        : clock_(clock)
    {
    }

    ~HeadlessMutex() override
    {
        std::lock_guard lock(clock_.mutex_);
        abortIfInUse(depth_ > 0 && owner_ != std::this_thread::get_id(), "mutex held elsewhere");
        abortIfInUse(!waiters_.empty(), "mutex");
    }

    void lock() override
    {
        detail::ThreadRecord* self = clock_.waitingThread();
        const auto me = std::this_thread::get_id();
        HeadlessClock::Lock lock(clock_.mutex_);
        if (depth_ > 0 && owner_ == me) {
            ++depth_;
            return;
        }
        if (depth_ == 0) {
            owner_ = me;
            depth_ = 1;
            return;
        }
        Waiter waiter(self, false);
        waiter.linkInto(waiters_);
        clock_.blockLocked(lock, waiter);
    }

    void unlock() override
    {
        std::lock_guard lock(clock_.mutex_);
        if (depth_ == 0 || owner_ != std::this_thread::get_id())
            throw std::logic_error("headless mutex unlocked by a thread that does not hold it");
        if (--depth_ > 0 || waiters_.empty())
            return;
        Waiter& next = *waiters_.front();
        owner_ = next.id;
        depth_ = 1;
        clock_.wakeLocked(next);
    }

private:
    HeadlessClock& clock_;
    // Guarded by the clock's mutex.
    std::thread::id owner_;
    int depth_ = 0;
    detail::WaitQueue waiters_;
};

class HeadlessCondVar final : public CondVar {
public:
    explicit HeadlessCondVar(HeadlessClock& clock)
        : clock_(clock)
    {
    }

    ~HeadlessCondVar() override
    {
        std::lock_guard lock(clock_.mutex_);
        abortIfInUse(!waiters_.empty(), "condition variable");
    }

    bool wait(std::unique_lock<OwnedMutex>& lock, const std::function<bool()>& ready,
        Millis timeout) override
    {
        clock_.waitingThread();
        const std::optional<Millis> deadline
            = timeout < 0 ? std::nullopt : std::optional(clock_.now() + timeout);
        for (;;) {
            if (clock_.stopRequested())
                throw ThreadCancelled {};
            if (ready())
                return true;
            if (deadline && clock_.now() >= *deadline)
                return false;
            waitForNotify(lock, deadline);
        }
    }

    void notifyAll() override
    {
        std::lock_guard lock(clock_.mutex_);
        while (!waiters_.empty())
            clock_.wakeLocked(*waiters_.front());
    }

private:
    // Reacquires the caller's lock only after the clock's mutex is released: the lock order is
    // the caller's mutex first.
    struct RelockOnExit {
        std::unique_lock<OwnedMutex>& lock;
        ~RelockOnExit()
        {
            if (!lock.owns_lock())
                lock.lock();
        }
    };

    void waitForNotify(std::unique_lock<OwnedMutex>& callerLock, std::optional<Millis> deadline)
    {
        RelockOnExit relock { callerLock };
        detail::ThreadRecord* self = clock_.waitingThread();
        HeadlessClock::Lock lock(clock_.mutex_);
        // A stop request since the caller's check must not be slept through.
        if (self && self->stopRequested)
            return;
        Waiter waiter(self, true);
        waiter.linkInto(waiters_);
        if (deadline)
            waiter.linkAt(clock_.timeline_, *deadline);
        // Released only now: a notifier that changes the state under callerLock and then
        // notifies finds this waiter queued.
        callerLock.unlock();
        clock_.blockLocked(lock, waiter);
    }

    HeadlessClock& clock_;
    detail::WaitQueue waiters_; // guarded by the clock's mutex
};

std::unique_ptr<Mutex> HeadlessClock::makeMutex()
{
    return std::make_unique<HeadlessMutex>(*this);
}

std::unique_ptr<CondVar> HeadlessClock::makeCondVar()
{
    return std::make_unique<HeadlessCondVar>(*this);
}

} // namespace platform::headless
