#include "platform/owned_mutex.h"
#include "platform/system_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(OwnedMutex, KnowsWhichThreadHoldsIt)
{
    platform::OwnedMutex mutex;
    EXPECT_FALSE(mutex.heldByThisThread());
    {
        std::lock_guard lock(mutex);
        EXPECT_TRUE(mutex.heldByThisThread());
        bool heldElsewhere = true;
        std::thread([&] { heldElsewhere = mutex.heldByThisThread(); }).join();
        EXPECT_FALSE(heldElsewhere);
    }
    EXPECT_FALSE(mutex.heldByThisThread());

    ASSERT_TRUE(mutex.try_lock());
    EXPECT_TRUE(mutex.heldByThisThread());
    bool tookIt = true;
    std::thread([&] { tookIt = mutex.try_lock(); }).join();
    EXPECT_FALSE(tookIt);
    mutex.unlock();
    EXPECT_FALSE(mutex.heldByThisThread());
}

// A condition wait gives the lock up while it sleeps and has it back for the predicate and
// on return; the owner must follow, or a …Locked helper in a predicate would abort.
TEST(OwnedMutex, FollowsTheLockThroughAConditionWait)
{
    platform::SystemClock clock;
    auto condition = clock.makeCondVar();
    platform::OwnedMutex mutex;
    std::atomic<bool> waiting = false;
    bool ready = false;
    bool heldInPredicate = true;

    auto waiter = clock.startThread([&] {
        std::unique_lock lock(mutex);
        waiting = true;
        condition->wait(lock, [&] {
            heldInPredicate = heldInPredicate && mutex.heldByThisThread();
            return ready;
        });
        mutex.assertHeld();
    });
    while (!waiting)
        std::this_thread::yield();
    {
        std::lock_guard lock(mutex); // only possible while the waiter sleeps
        EXPECT_TRUE(mutex.heldByThisThread());
        ready = true;
    }
    condition->notifyAll();
    waiter->join();
    EXPECT_TRUE(heldInPredicate);
    EXPECT_FALSE(mutex.heldByThisThread());
}

// The check is compiled only where assertions are (the Debug and sanitizer builds).
#ifndef NDEBUG
TEST(OwnedMutexDeathTest, AssertHeldStopsACallerThatDoesNotHoldTheLock)
{
    platform::OwnedMutex mutex;
    EXPECT_DEATH(mutex.assertHeld(), "needs its object's lock");
    {
        std::lock_guard lock(mutex);
        mutex.assertHeld();
    }
    EXPECT_DEATH(mutex.assertHeld(), "owned_mutex_test.cpp:[0-9]+");
}
#endif

} // namespace
