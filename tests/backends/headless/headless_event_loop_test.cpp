#include "backends/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace {

using platform::Millis;
using platform::headless::HeadlessPlatform;

// Handlers of these tests run on the driving thread, so a plain vector is enough.
class EventLoopTest : public testing::Test {
protected:
    void note(const std::string& what)
    {
        seen.push_back(what + "@" + std::to_string(platform.clock().now()));
    }

    std::vector<std::string> seen;
    HeadlessPlatform platform;
    platform::headless::HeadlessEventLoop& loop = platform.loop();
};

TEST_F(EventLoopTest, TimersAndPostsRunInVirtualTimeOrder)
{
    loop.startTimer(100, [&] {
        note("a");
        if (platform.clock().now() == 200)
            loop.post([&] { note("posted by a"); });
    });
    loop.startTimer(250, [&] { note("b"); });
    loop.post([&] { note("posted"); });

    platform.advance(500);
    const std::vector<std::string> expected { "posted@0", "a@100", "a@200", "posted by a@200",
        "b@250", "a@300", "a@400", "b@500", "a@500" };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(platform.clock().now(), 500);
}

TEST_F(EventLoopTest, ChangingAnIntervalRestartsTheScheduleAndStopEndsIt)
{
    platform::TimerId timer = 0;
    timer = loop.startTimer(100, [&] {
        note("tick");
        if (seen.size() == 3)
            loop.stopTimer(timer);
    });
    platform.advance(150);
    loop.setTimerInterval(timer, 40);
    platform.advance(1'000);
    const std::vector<std::string> expected { "tick@100", "tick@190", "tick@230" };
    EXPECT_EQ(seen, expected);
}

TEST_F(EventLoopTest, ProcessPendingLetsWorkersPostThenRunsWhatIsDueNowOnly)
{
    loop.startTimer(10, [&] { note("timer"); });
    std::function<void()> again = [&] {
        note("again");
        loop.post(again);
    };
    loop.post(again);
    auto worker = platform.clock().startThread([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(3)); // real work before posting
        loop.post([&] { note("from worker"); });
        platform.clock().sleep(1'000'000);
    });

    loop.processPending();
    const std::vector<std::string> expected { "again@0", "from worker@0" };
    EXPECT_EQ(seen, expected);
    loop.processPending();
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(platform.clock().now(), 0);
}

TEST_F(EventLoopTest, NestedLoopInsideATimerKeepsTimeAndOtherTimersGoing)
{
    bool answered = false;
    bool nestedResult = false;
    loop.startTimer(30, [&] { note("tick"); });
    auto worker = platform.clock().startThread([&] {
        platform.clock().sleep(170);
        loop.post([&] { answered = true; });
    });
    const platform::TimerId modal = loop.startTimer(100, [&] {
        loop.stopTimer(1);
        loop.startTimer(30, [&] { note("during"); });
        note("open");
        nestedResult = loop.runUntil([&] { return answered; });
        note("closed");
    });
    platform.advance(100);
    loop.stopTimer(modal);
    EXPECT_TRUE(nestedResult);
    const std::vector<std::string> expected { "tick@30", "tick@60", "tick@90", "open@100",
        "during@130", "during@160", "closed@170" };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(platform.clock().now(), 170);
}

TEST_F(EventLoopTest, RunUntilGivesUpWhenNothingCanHappen)
{
    auto worker = platform.clock().startThread([&] { platform.clock().sleep(50); });
    EXPECT_FALSE(loop.runUntil([] { return false; }));
    EXPECT_EQ(platform.clock().now(), 50);
    EXPECT_TRUE(worker->finished());
}

TEST_F(EventLoopTest, ProgramEndInAHandlerOrWorkerStopsTheLoop)
{
    loop.startTimer(100, [&] {
        note("tick");
        platform.process().end(3);
    });
    EXPECT_EQ(loop.run(), 3);
    platform.advance(1'000);
    EXPECT_EQ(seen, std::vector<std::string> { "tick@100" });
    EXPECT_EQ(platform.process().exitCode(), 3);
}

TEST(HeadlessProcess, WorkerEndingTheProgramStopsTheLoop)
{
    HeadlessPlatform platform;
    bool ticked = false;
    platform.loop().startTimer(500, [&] { ticked = true; });
    auto worker = platform.clock().startThread([&] {
        platform.clock().sleep(100);
        platform.process().end(4);
    });
    EXPECT_EQ(platform.loop().run(), 4);
    EXPECT_TRUE(worker->finished());
    EXPECT_FALSE(ticked);
    EXPECT_EQ(platform.clock().now(), 100);
}

TEST_F(EventLoopTest, OnlyTheDrivingThreadIsTheLoopThread)
{
    std::atomic<bool> workerOnLoop = true;
    auto worker = platform.clock().startThread([&] { workerOnLoop = loop.onLoopThread(); });
    worker->join();
    EXPECT_FALSE(workerOnLoop);
    EXPECT_TRUE(loop.onLoopThread());
}

TEST(ScriptedDialogs, AnswersInOrderThenLikeEnterAndKeepsATranscript)
{
    using platform::Button;
    platform::headless::ScriptedDialogs dialogs;
    dialogs.answerNextMessageBox(Button::Cancel);
    dialogs.answerNextOpenFile("/music/a.mp3");

    EXPECT_EQ(dialogs.messageBox("delete?", "note", 1), Button::Cancel);
    EXPECT_EQ(dialogs.messageBox("again?", "note", 1), Button::Ok);
    EXPECT_EQ(dialogs.messageBox("sure?", "", 4), Button::Yes);
    EXPECT_EQ(dialogs.messageBox("retry?", "", 5), Button::Retry);

    platform::OpenFileRequest request;
    request.title = "pick";
    EXPECT_EQ(dialogs.openFile(request), "/music/a.mp3");
    EXPECT_EQ(dialogs.openFile(request), std::nullopt);
    EXPECT_EQ(dialogs.unusedAnswers(), 0u);

    const auto shown = dialogs.messageBoxes();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].text, "delete?");
    EXPECT_EQ(shown[0].caption, "note");
    EXPECT_EQ(shown[0].flags, 1u);
    EXPECT_EQ(shown[0].answer, Button::Cancel);
    EXPECT_EQ(shown[2].answer, Button::Yes);
    ASSERT_EQ(dialogs.openFileRequests().size(), 2u);
    EXPECT_EQ(dialogs.openFileRequests()[0].title, "pick");
}

} // namespace
