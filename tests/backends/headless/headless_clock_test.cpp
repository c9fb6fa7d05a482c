#include "backends/headless/headless_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

using platform::Millis;
using platform::headless::ClockStalled;
using platform::headless::HeadlessClock;

// What the threads of a test saw, in the order they saw it.
class Log {
public:
    void add(std::string entry)
    {
        std::lock_guard lock(mutex_);
        entries_.push_back(std::move(entry));
    }
    std::vector<std::string> entries() const
    {
        std::lock_guard lock(mutex_);
        return entries_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> entries_;
};

// Real work between waits, long enough that a falsely detected quiescence would return early.
void busyForAWhile()
{
    std::this_thread::sleep_for(3ms);
}

TEST(HeadlessClock, SleepersWakeInDeadlineOrderAndAdvanceWaitsUntilAllBlockAgain)
{
    Log log;
    HeadlessClock clock;
    auto sleeper = [&](const std::string& name, Millis period) {
        return clock.startThread([&, name, period] {
            for (;;) {
                clock.sleep(period);
                log.add(name + "@" + std::to_string(clock.now()));
                busyForAWhile();
                log.add(name + " done");
            }
        });
    };
    auto slow = sleeper("slow", 250);
    auto fast = sleeper("fast", 100);

    clock.advance(99);
    EXPECT_TRUE(log.entries().empty());
    clock.advance(201);
    EXPECT_EQ(clock.now(), 300);
    const std::vector<std::string> expected { "fast@100", "fast done", "fast@200", "fast done",
        "slow@250", "slow done", "fast@300", "fast done" };
    EXPECT_EQ(log.entries(), expected);
}

TEST(HeadlessClock, SleepersDueAtTheSameInstantWakeOneAfterAnother)
{
    Log log;
    HeadlessClock clock;
    auto first = clock.startThread([&] {
        clock.sleep(100);
        log.add("first");
        busyForAWhile();
        log.add("first done");
    });
    clock.settle();
    auto second = clock.startThread([&] {
        clock.sleep(100);
        log.add("second");
    });
    clock.advance(100);
    const std::vector<std::string> expected { "first", "first done", "second" };
    EXPECT_EQ(log.entries(), expected);
}

TEST(HeadlessClock, ThreadCountsAsRunningFromItsStartUntilItBlocks)
{
    std::atomic<bool> prepared = false;
    HeadlessClock clock;
    auto thread = clock.startThread([&] {
        busyForAWhile();
        prepared = true;
        clock.sleep(1'000);
    });
    clock.settle();
    EXPECT_TRUE(prepared);
    EXPECT_EQ(clock.now(), 0);
}

TEST(HeadlessClock, ProducerAndConsumerOverConditionReachQuiescence)
{
    platform::OwnedMutex mutex;
    std::deque<int> items;
    std::vector<std::pair<int, Millis>> consumed;
    HeadlessClock clock;
    auto itemsChanged = clock.makeCondVar();

    auto producer = clock.startThread([&] {
        for (int item = 1; item <= 10; ++item) {
            clock.sleep(10);
            std::lock_guard lock(mutex);
            items.push_back(item);
            itemsChanged->notifyAll();
        }
    });
    auto consumer = clock.startThread([&] {
        for (;;) {
            std::unique_lock lock(mutex);
            itemsChanged->wait(lock, [&] { return !items.empty(); });
            const int item = items.front();
            items.pop_front();
            lock.unlock();
            busyForAWhile();
            lock.lock();
            consumed.emplace_back(item, clock.now());
        }
    });

    clock.advance(100);
    EXPECT_TRUE(producer->finished());
    EXPECT_FALSE(consumer->finished());
    clock.stopAllThreads(); // the consumer waits on itemsChanged, which goes first
    ASSERT_EQ(consumed.size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(consumed[i], std::make_pair(i + 1, Millis { 10 * (i + 1) }));
}

TEST(HeadlessClock, ConditionWaitTimesOutInVirtualTime)
{
    platform::OwnedMutex mutex;
    bool ready = false;
    std::atomic<Millis> gaveUpAt = -1;
    std::atomic<Millis> sawReadyAt = -1;
    HeadlessClock clock;
    auto condition = clock.makeCondVar();
    auto waiter = clock.startThread([&] {
        std::unique_lock lock(mutex);
        if (!condition->wait(
                lock, [&] { return ready; }, 250))
            gaveUpAt = clock.now();
        if (condition->wait(
                lock, [&] { return ready; }, 1'000))
            sawReadyAt = clock.now();
    });
    clock.advance(300);
    EXPECT_EQ(gaveUpAt, 250);
    {
        std::lock_guard lock(mutex);
        ready = true;
        condition->notifyAll();
    }
    clock.advance(0);
    EXPECT_EQ(sawReadyAt, 300);
    EXPECT_TRUE(waiter->finished());
}

// The caller's lock is given up for the sleep and back for every look at the predicate: a
// …Locked helper called from a predicate checks exactly that.
TEST(HeadlessClock, ConditionWaitHoldsTheCallersLockOnlyAroundThePredicate)
{
    platform::OwnedMutex mutex;
    bool ready = false;
    std::atomic<int> checks = 0;
    std::atomic<bool> heldWhenChecked = true;
    std::atomic<bool> heldOnReturn = false;
    HeadlessClock clock;
    auto condition = clock.makeCondVar();
    auto waiter = clock.startThread([&] {
        std::unique_lock lock(mutex);
        condition->wait(lock, [&] {
            ++checks;
            heldWhenChecked = heldWhenChecked && mutex.heldByThisThread();
            return ready;
        });
        heldOnReturn = mutex.heldByThisThread();
    });
    clock.advance(10);
    {
        std::lock_guard lock(mutex); // free while the waiter sleeps
        ready = true;
    }
    condition->notifyAll();
    clock.advance(0);
    EXPECT_TRUE(waiter->finished());
    EXPECT_GE(checks, 2);
    EXPECT_TRUE(heldWhenChecked);
    EXPECT_TRUE(heldOnReturn);
    EXPECT_FALSE(mutex.heldByThisThread());
}

TEST(HeadlessClock, MutexHeldAcrossASleepBlocksTheOtherThread)
{
    std::atomic<Millis> enteredAt = -1;
    HeadlessClock clock(HeadlessClock::defaultStartWallMillis, 2s);
    auto section = clock.makeMutex();
    auto holder = clock.startThread([&] {
        std::lock_guard lock(*section);
        std::lock_guard again(*section);
        clock.sleep(100);
    });
    clock.settle();
    auto contender = clock.startThread([&] {
        std::lock_guard lock(*section);
        enteredAt = clock.now();
    });
    clock.advance(50); // returns only if the contender counts as blocked
    EXPECT_EQ(enteredAt, -1);
    clock.advance(50);
    EXPECT_EQ(enteredAt, 100);
}

TEST(HeadlessClock, DrivingThreadWaitsByMovingVirtualTime)
{
    HeadlessClock clock;
    auto section = clock.makeMutex();
    auto worker = clock.startThread([&] {
        std::lock_guard lock(*section);
        clock.sleep(70);
    });
    clock.settle();
    section->lock();
    EXPECT_EQ(clock.now(), 70);
    section->unlock();

    auto sleeper = clock.startThread([&] { clock.sleep(500); });
    sleeper->join();
    EXPECT_EQ(clock.now(), 570);

    clock.sleep(30);
    EXPECT_EQ(clock.now(), 600);
    EXPECT_EQ(clock.wallMillis(), HeadlessClock::defaultStartWallMillis + 600);
}

// The thread waited for ends its part in real time, while the driver waits; the driver's wait
// then ends at once, not at the next deadline of some other thread.
TEST(HeadlessClock, DrivingThreadWaitEndedWhileSettlingTakesNoVirtualTime)
{
    HeadlessClock clock;
    auto farSleeper = clock.startThread([&] { clock.sleep(5000); });
    clock.settle();

    auto worker = clock.startThread([] { busyForAWhile(); });
    worker->join();
    EXPECT_EQ(clock.now(), 0);

    auto section = clock.makeMutex();
    std::atomic<bool> holding = false;
    auto holder = clock.startThread([&] {
        std::lock_guard lock(*section);
        holding = true;
        busyForAWhile();
    });
    while (!holding)
        std::this_thread::yield();
    section->lock();
    EXPECT_EQ(clock.now(), 0);
    section->unlock();

    holder->join();
    farSleeper->requestStop();
    farSleeper->join();
    EXPECT_EQ(clock.now(), 0);
}

TEST(HeadlessClock, StopRequestWakesAWaitAtOnce)
{
    platform::OwnedMutex mutex;
    std::atomic<bool> sleptThrough = false;
    std::atomic<bool> stopSeen = false;
    HeadlessClock clock;
    auto condition = clock.makeCondVar();
    auto sleeper = clock.startThread([&] {
        clock.sleep(3'600'000);
        sleptThrough = true;
    });
    auto waiter = clock.startThread([&] {
        std::unique_lock lock(mutex);
        try {
            condition->wait(lock, [] { return false; });
        } catch (const platform::ThreadCancelled&) {
            stopSeen = clock.stopRequested();
        }
    });
    clock.advance(10);
    sleeper->requestStop();
    waiter->requestStop();
    sleeper->join();
    waiter->join();
    EXPECT_EQ(clock.now(), 10);
    EXPECT_FALSE(sleptThrough);
    EXPECT_TRUE(stopSeen);
    EXPECT_FALSE(clock.stopRequested());
}

TEST(HeadlessClock, AMinuteOfWorkerStepsTakesLittleRealTime)
{
    std::atomic<int> steps = 0;
    HeadlessClock clock;
    auto worker = clock.startThread([&] {
        for (;;) {
            clock.sleep(100);
            ++steps;
        }
    });
    const auto start = std::chrono::steady_clock::now();
    clock.advance(60'000);
    // Generous for sanitizer builds; a clock that really slept would take a minute.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(steps, 600);
}

TEST(HeadlessClock, ReportsAThreadThatNeverBlocksAndAWaitThatCanNeverEnd)
{
    std::atomic<bool> release = false;
    HeadlessClock clock(HeadlessClock::defaultStartWallMillis, 200ms);
    auto spinner = clock.startThread([&] {
        while (!release)
            std::this_thread::yield();
    });
    EXPECT_THROW(clock.advance(10), ClockStalled);
    release = true;
    clock.settle();

    auto condition = clock.makeCondVar();
    platform::OwnedMutex mutex;
    std::unique_lock lock(mutex);
    EXPECT_THROW(condition->wait(lock, [] { return false; }), ClockStalled);
    EXPECT_TRUE(lock.owns_lock());
    EXPECT_FALSE(condition->wait(
        lock, [] { return false; }, 40));
    EXPECT_EQ(clock.now(), 40);
}

TEST(HeadlessClock, RefusesWaitsFromThreadsItDoesNotKnow)
{
    HeadlessClock clock;
    std::thread stranger([&] { EXPECT_THROW(clock.sleep(10), std::logic_error); });
    stranger.join();
}

} // namespace
