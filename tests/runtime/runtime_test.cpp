#include "runtime/conversions.h"
#include "runtime/runtime.h"

#include <condition_variable>
#include <deque>
#include <gtest/gtest.h>
#include <thread>

namespace runtime {
namespace {

// Just enough of a platform to watch the runtime: a clock that records sleeps, a loop
// with a queue, dialogs that answer from a script and a process end that unwinds.
class FakeCondVar : public platform::CondVar {
public:
    bool wait(std::unique_lock<platform::OwnedMutex>& lock, const std::function<bool()>& ready,
        platform::Millis) override
    {
        changed_.wait(lock, ready);
        return true;
    }
    void notifyAll() override { changed_.notify_all(); }

private:
    std::condition_variable_any changed_;
};

class FakeClock : public platform::Clock {
public:
    std::int64_t wall = 0;
    std::vector<platform::Millis> sleeps;

    platform::Millis now() const override { return 0; }
    std::int64_t wallMillis() const override { return wall; }
    void sleep(platform::Millis ms) override { sleeps.push_back(ms); }
    std::unique_ptr<platform::Thread> startThread(std::function<void()>) override
    {
        return nullptr;
    }
    std::unique_ptr<platform::Mutex> makeMutex() override { return nullptr; }
    std::unique_ptr<platform::CondVar> makeCondVar() override
    {
        return std::make_unique<FakeCondVar>();
    }
    bool stopRequested() const override { return false; }
};

class FakeLoop : public platform::EventLoop {
public:
    FakeClock fakeClock;
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<std::function<void()>> queue;
    std::thread::id owner = std::this_thread::get_id();

    void post(std::function<void()> fn) override
    {
        std::lock_guard lock(mutex);
        queue.push_back(std::move(fn));
        posted.notify_all();
    }
    platform::TimerId startTimer(platform::Millis, std::function<void()>) override { return 0; }
    void setTimerInterval(platform::TimerId, platform::Millis) override { }
    void stopTimer(platform::TimerId) override { }
    void processPending() override
    {
        for (;;) {
            std::function<void()> fn;
            {
                std::lock_guard lock(mutex);
                if (queue.empty()) {
                    return;
                }
                fn = std::move(queue.front());
                queue.pop_front();
            }
            fn();
        }
    }
    bool runUntil(const std::function<bool()>&) override { return false; }
    int run() override { return 0; }
    void quit(int) override { }
    bool onLoopThread() const override { return std::this_thread::get_id() == owner; }
    platform::Clock& clock() override { return fakeClock; }
};

struct ShownBox {
    std::string text;
    std::string caption;
    unsigned flags;
};

class FakeDialogs : public platform::Dialogs {
public:
    std::vector<ShownBox> shown;
    platform::Button answer = platform::Button::Ok;

    platform::Button messageBox(
        const std::string& text, const std::string& caption, unsigned flags) override
    {
        shown.push_back({ text, caption, flags });
        return answer;
    }
    std::optional<std::string> openFile(const platform::OpenFileRequest&) override
    {
        return std::nullopt;
    }
};

class FakeProcess : public platform::Process {
public:
    [[noreturn]] void end(int exitCode) override { throw platform::ProgramEnded { exitCode }; }
};

class RuntimeTest : public ::testing::Test {
protected:
    FakeLoop loop;
    FakeDialogs dialogs;
    FakeProcess process;
    platform::Platform platform { loop, dialogs, process };
    Runtime runtime { platform };

    // The exit code the program ended with, or nothing when it went on.
    template <typename Fn> std::optional<int> exitCodeOf(Fn&& fn)
    {
        try {
            fn();
        } catch (const platform::ProgramEnded& ended) {
            return ended.exitCode;
        }
        return std::nullopt;
    }
};

TEST(RuntimeErrorText, HasCodeAndMessageInTheirOwnParagraphs)
{
    EXPECT_EQ(runtimeErrorText(5, "数据或数组类型不匹配"),
        "运行时出错!\r\n\r\n错误代码：5\r\n\r\n错误信息：数据或数组类型不匹配\r\n");
    EXPECT_EQ(runtimeErrorText(std::nullopt, "载入窗口模板数据段出错!"),
        "运行时出错!\r\n\r\n错误信息：载入窗口模板数据段出错!\r\n");
    EXPECT_EQ(runtimeErrorText(std::nullopt, ""), "运行时出错!\r\n\r\n");
}

TEST_F(RuntimeTest, ErrorReportShowsTheTextThenEndsWithMinusOne)
{
    std::vector<std::string> order;
    runtime.addEndStep([&] { order.push_back("windows"); });
    runtime.setCleanup([&] { order.push_back("cleanup"); });
    EXPECT_EQ(exitCodeOf([&] { runtime.raiseAllocationFailure(4096); }), -1);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "运行时出错!\r\n\r\n错误信息：分配 4096 字节内存失败!\r\n");
    EXPECT_TRUE(runtime.isReportingError());
    EXPECT_EQ(order, (std::vector<std::string> { "windows", "cleanup" }));
}

TEST_F(RuntimeTest, CleanupRunsOnceEvenWhenTheEndIsRequestedAgain)
{
    int cleanups = 0;
    runtime.setCleanup([&] {
        ++cleanups;
        runtime.endProgram(7); // a clean-up that ends the program itself
    });
    EXPECT_EQ(exitCodeOf([&] { runtime.endProgram(2); }), 7);
    EXPECT_EQ(exitCodeOf([&] { runtime.endProgram(3); }), 3);
    EXPECT_EQ(cleanups, 1);
}

TEST_F(RuntimeTest, EndFromAnotherThreadRunsOnTheInterfaceThread)
{
    std::thread::id cleanupThread;
    runtime.setCleanup([&] { cleanupThread = std::this_thread::get_id(); });
    std::optional<int> workerExit;
    std::thread worker([&] { workerExit = exitCodeOf([&] { runtime.endProgram(4); }); });
    {
        std::unique_lock lock(loop.mutex);
        loop.posted.wait(lock, [&] { return !loop.queue.empty(); });
    }
    EXPECT_EQ(exitCodeOf([&] { loop.processPending(); }), 4);
    worker.join();
    EXPECT_EQ(workerExit, 4);
    EXPECT_EQ(cleanupThread, std::this_thread::get_id());
}

TEST_F(RuntimeTest, MessageBoxIsTaskModalUnlessSystemModal)
{
    dialogs.answer = platform::Button::Cancel;
    EXPECT_EQ(runtime.messageBox("提示", 1), 1);
    EXPECT_EQ(runtime.messageBox("删除？", 0x1001, Text("注意：")), 1);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].flags, 0x2001u);
    EXPECT_EQ(dialogs.shown[0].caption, "信息：");
    EXPECT_EQ(dialogs.shown[1].flags, 0x1001u);
    EXPECT_EQ(dialogs.shown[1].caption, "注意：");
}

TEST_F(RuntimeTest, DelayNeverSleepsBackwards)
{
    runtime.delay(-5);
    runtime.delay(1500);
    EXPECT_EQ(loop.fakeClock.sleeps, (std::vector<platform::Millis> { 0, 1500 }));
}

TEST_F(RuntimeTest, CurrentTimeFollowsTheClockInLocalTime)
{
    setenv("TZ", "CST-8", 1);
    tzset();
    loop.fakeClock.wall = 1378425540000; // 2013-09-05 23:59:00 UTC
    EXPECT_EQ(dateTimeText(currentTime(platform.clock())), "2013年9月6日7时59分");
    loop.fakeClock.wall += 1500;
    EXPECT_EQ(dateTimeText(currentTime(platform.clock())), "2013年9月6日7时59分1秒");
    unsetenv("TZ");
    tzset();
}

} // namespace
} // namespace runtime
