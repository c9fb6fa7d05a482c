#include "platform/system_clock.h"

#include "platform/process.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <stop_token>
#include <thread>

namespace platform {

namespace {

// The stop token of the calling thread; a default token (never stopped) for threads not
// started through a SystemClock.
thread_local std::stop_token currentStopToken;

void throwIfStopped()
{
    if (currentStopToken.stop_requested())
        throw ThreadCancelled {};
}

class SystemMutex final : public Mutex {
public:
    void lock() override { mutex_.lock(); }
    void unlock() override { mutex_.unlock(); }

private:
    std::recursive_mutex mutex_;
};

class SystemCondVar final : public CondVar {
public:
    bool wait(std::unique_lock<OwnedMutex>& lock, const std::function<bool()>& ready,
        Millis timeout) override
    {
        throwIfStopped();
        const bool satisfied = timeout < 0 ? condition_.wait(lock, currentStopToken, ready)
                                           : condition_.wait_for(lock, currentStopToken,
                                               std::chrono::milliseconds(timeout), ready);
        throwIfStopped();
        return satisfied;
    }

    void notifyAll() override { condition_.notify_all(); }

private:
    std::condition_variable_any condition_;
};

class SystemThread final : public Thread {
public:
    explicit SystemThread(std::function<void()> body)
        : finished_(std::make_shared<std::atomic<bool>>(false))
    {
        thread_ = std::thread(
            [token = stop_.get_token(), finished = finished_, body = std::move(body)]() mutable {
                currentStopToken = token;
                try {
                    body();
                } catch (const ThreadCancelled&) {
                } catch (const ProgramEnded&) {
                }
                // Captures such as the body may own resources; release them before reporting.
                body = nullptr;
                finished->store(true);
            });
    }

    ~SystemThread() override
    {
        if (thread_.joinable())
            thread_.detach();
    }

    void requestStop() override { stop_.request_stop(); }
    bool finished() const override { return finished_->load(); }

    void join() override
    {
        if (thread_.joinable())
            thread_.join();
    }

private:
    std::stop_source stop_;
    std::shared_ptr<std::atomic<bool>> finished_;
    std::thread thread_;
};

} // namespace

Millis SystemClock::now() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace {

std::int64_t systemWallMillis()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

std::int64_t SystemClock::wallMillis() const
{
    return systemWallMillis() + wallOffset_.load(std::memory_order_relaxed);
}

void SystemClock::setWallMillis(std::int64_t wallMillis)
{
    wallOffset_.store(wallMillis - systemWallMillis(), std::memory_order_relaxed);
}

void SystemClock::sleep(Millis ms)
{
    throwIfStopped();
    if (ms <= 0)
        return;
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::unique_lock lock(mutex);
    wakeUp.wait_for(lock, currentStopToken, std::chrono::milliseconds(ms), [] { return false; });
    throwIfStopped();
}

std::unique_ptr<Thread> SystemClock::startThread(std::function<void()> body)
{
    return std::make_unique<SystemThread>(std::move(body));
}

std::unique_ptr<Mutex> SystemClock::makeMutex()
{
    return std::make_unique<SystemMutex>();
}

std::unique_ptr<CondVar> SystemClock::makeCondVar()
{
    return std::make_unique<SystemCondVar>();
}

bool SystemClock::stopRequested() const
{
    return currentStopToken.stop_requested();
}

} // namespace platform
