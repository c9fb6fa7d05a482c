// The Qt event loop: posts from other threads, timers that stop themselves, nested loops and
// quitting with an exit code.

#include "gui_fixture.h"

#include <QThread>
#include <QTimer>

#include <thread>

namespace gui::test {
namespace {

class QtEventLoopTest : public ::testing::Test, private ApplicationFirst {
protected:
    platform::qt::QtEventLoop loop;
};

TEST_F(QtEventLoopTest, PostsFromWorkersRunOnTheLoopThreadInOrder)
{
    std::vector<int> order;
    std::vector<bool> onLoop;
    std::thread([&] {
        for (int i = 0; i < 3; ++i)
            loop.post([&, i] {
                order.push_back(i);
                onLoop.push_back(loop.onLoopThread());
            });
    }).join();
    EXPECT_TRUE(order.empty()) << "nothing runs before the loop turns";
    loop.processPending();
    EXPECT_EQ(order, (std::vector<int> { 0, 1, 2 }));
    EXPECT_EQ(onLoop, (std::vector<bool> { true, true, true }));
}

// The window system's events hand their work on as queued calls (a close request): one turn
// runs them, and stops there, however much they queue in turn.
TEST_F(QtEventLoopTest, OneTurnRunsWhatPendingEventsHandOnButNoMore)
{
    // Calls still queued at the end go with this object, not into the next test.
    QObject queuedFor;
    int calls = 0;
    std::function<void()> handOn = [&] {
        ++calls;
        QTimer::singleShot(0, &queuedFor, handOn);
    };
    QTimer::singleShot(0, &queuedFor, handOn);
    loop.processPending();
    EXPECT_EQ(calls, 2);
}

TEST_F(QtEventLoopTest, RunUntilReturnsOnceDoneAndTimersMayStopThemselves)
{
    int ticks = 0;
    platform::TimerId timer = 0;
    timer = loop.startTimer(5, [&] {
        if (++ticks == 3)
            loop.stopTimer(timer);
    });
    EXPECT_TRUE(loop.runUntil([&] { return ticks == 3; }));
    QTest::qWait(30);
    EXPECT_EQ(ticks, 3);
}

TEST_F(QtEventLoopTest, ChangingTheIntervalRestartsTheSchedule)
{
    int ticks = 0;
    const platform::TimerId timer = loop.startTimer(60'000, [&] { ++ticks; });
    loop.setTimerInterval(timer, 5);
    EXPECT_TRUE(loop.runUntil([&] { return ticks >= 2; }));
    loop.stopTimer(timer);
}

TEST_F(QtEventLoopTest, QuitFromAWorkerEndsNestedAndOuterLoopsWithItsCode)
{
    bool nestedResult = true;
    loop.post([&] {
        std::thread([&] { loop.quit(3); }).detach();
        nestedResult = loop.runUntil([] { return false; });
    });
    EXPECT_EQ(loop.run(), 3);
    EXPECT_FALSE(nestedResult);

    bool ranAfterQuit = false;
    loop.post([&] { ranAfterQuit = true; });
    loop.quit(5);
    loop.processPending();
    EXPECT_FALSE(ranAfterQuit);
    EXPECT_EQ(loop.exitCode(), 3) << "the first exit code wins";
}

} // namespace
} // namespace gui::test
