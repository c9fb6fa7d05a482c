#include "platform/process.h"
#include "platform/system_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

using namespace std::chrono_literals;

namespace {

using platform::Millis;

// Real time passed while running fn, in milliseconds.
template <typename Fn> Millis realMillisOf(Fn&& fn)
{
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start)
        .count();
}

TEST(SystemClock, SleepWaitsAtLeastTheRequestedTime)
{
    platform::SystemClock clock;
    const Millis before = clock.now();
    EXPECT_GE(realMillisOf([&] { clock.sleep(30); }), 30);
    EXPECT_GE(clock.now() - before, 30);
    EXPECT_LT(realMillisOf([&] { clock.sleep(-5); }), 20);
}

TEST(SystemClock, StopRequestWakesASleepingThreadAtOnce)
{
    platform::SystemClock clock;
    std::atomic<bool> sleeping = false;
    std::atomic<bool> sleptThrough = false;
    auto thread = clock.startThread([&] {
        sleeping = true;
        clock.sleep(60'000);
        sleptThrough = true;
    });
    while (!sleeping)
        std::this_thread::yield();
    EXPECT_LT(realMillisOf([&] {
        thread->requestStop();
        thread->join();
    }),
        5'000);
    EXPECT_TRUE(thread->finished());
    EXPECT_FALSE(sleptThrough);
}

TEST(SystemClock, StopRequestWakesAConditionWaitAndReleasesItsLock)
{
    platform::SystemClock clock;
    auto condition = clock.makeCondVar();
    platform::OwnedMutex mutex;
    std::atomic<bool> waiting = false;
    std::atomic<bool> sawStop = false;
    auto thread = clock.startThread([&] {
        std::unique_lock lock(mutex);
        waiting = true;
        try {
            condition->wait(lock, [] { return false; });
        } catch (const platform::ThreadCancelled&) {
            sawStop = clock.stopRequested();
            throw;
        }
    });
    while (!waiting)
        std::this_thread::yield();
    thread->requestStop();
    thread->join();
    EXPECT_TRUE(sawStop);
    EXPECT_TRUE(mutex.try_lock());
    mutex.unlock();
}

TEST(SystemClock, ConditionWaitReportsTimeoutOrReadiness)
{
    platform::SystemClock clock;
    auto condition = clock.makeCondVar();
    platform::OwnedMutex mutex;
    bool ready = false;

    std::unique_lock lock(mutex);
    EXPECT_FALSE(condition->wait(
        lock, [&] { return ready; }, 20));
    EXPECT_TRUE(lock.owns_lock());
    lock.unlock();

    auto producer = clock.startThread([&] {
        clock.sleep(10);
        std::lock_guard guard(mutex);
        ready = true;
        condition->notifyAll();
    });
    lock.lock();
    EXPECT_TRUE(condition->wait(
        lock, [&] { return ready; }, 60'000));
    lock.unlock();
    producer->join();
}

TEST(SystemClock, ThreadEndsQuietlyOnProgramEndAndReportsStopOnlyToItself)
{
    platform::SystemClock clock;
    std::atomic<bool> stopSeen = false;
    auto ending = clock.startThread([] { throw platform::ProgramEnded { 3 }; });
    ending->join();
    EXPECT_TRUE(ending->finished());

    std::atomic<bool> asked = false;
    auto polling = clock.startThread([&] {
        while (!asked)
            std::this_thread::yield();
        stopSeen = clock.stopRequested();
    });
    polling->requestStop();
    asked = true;
    polling->join();
    EXPECT_TRUE(stopSeen);
    EXPECT_FALSE(clock.stopRequested());
}

TEST(SystemClock, MutexMayBeReenteredByItsOwner)
{
    platform::SystemClock clock;
    auto mutex = clock.makeMutex();
    mutex->lock();
    mutex->lock();
    mutex->unlock();
    std::atomic<bool> taken = false;
    auto other = clock.startThread([&] {
        std::lock_guard guard(*mutex);
        taken = true;
    });
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(taken);
    mutex->unlock();
    other->join();
    EXPECT_TRUE(taken);
}

// A pinned time of day runs on from the pinned instant; intervals are not touched by it.
TEST(SystemClock, PinnedTimeOfDayRunsOnFromThePinnedInstant)
{
    platform::SystemClock clock;
    constexpr std::int64_t pinned = 1'796'601'600'000; // 2026-12-07 00:00 UTC
    const Millis before = clock.now();
    clock.setWallMillis(pinned);
    const std::int64_t first = clock.wallMillis();
    clock.sleep(20);
    const std::int64_t second = clock.wallMillis();
    EXPECT_GE(first, pinned);
    EXPECT_LT(first, pinned + 1'000);
    EXPECT_GE(second - first, 20);
    EXPECT_GE(clock.now() - before, 20);
    EXPECT_LT(clock.now() - before, 60'000) << "the steady clock moved with the time of day";
}

} // namespace
