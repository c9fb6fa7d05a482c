#include "core_fixture.h"
#include "platform/system_clock.h"
#include "ui/threads.h"
#include "ui/unit_properties.h"

#include <atomic>
#include <fstream>
#include <string>
#include <thread>

// GCC 12 with sanitizers reports std::variant copies inlined into these lambdas as maybe
// uninitialized; the values are initialised (and the address sanitizer would catch it if not).
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace ui::test {
namespace {

constexpr ComponentId lamp = 0x16010bf6, button = 0x16010bfd;

class ThreadsTest : public CoreTest {
public:
    void SetUp() override
    {
        start({ window(mainId, mainOwn, {},
            { component(lamp, unit::label),
                component(button, unit::superBtn, {}, { { 0, 0 } }) }) });
        core->loadStartWindow(mainId);
    }
    std::int32_t colour() { return std::get<std::int32_t>(get(lamp, prop::label::backColour)); }
    void light(bool on) { set(lamp, prop::label::backColour, std::int32_t(on ? 255 : 0)); }

    Threads threads { headless.clock() };
};

TEST_F(ThreadsTest, SectionsAreRegisteredAndDeletedOnce)
{
    std::int32_t section = threads.createSection();
    threads.enterSection(section);
    threads.enterSection(section); // a thread may enter its own section again
    threads.leaveSection(section);
    threads.leaveSection(section);
    EXPECT_TRUE(threads.deleteSection(section));
    EXPECT_FALSE(threads.deleteSection(section));
    threads.enterSection(section); // deleted: ignored, does not block
    threads.leaveSection(section);
    threads.enterSection(12345); // never created
    threads.leaveSection(12345);
    EXPECT_FALSE(threads.endThread(12345));
}

// Two light-style workers serialised by a section never interleave their channels, and a
// worker waiting to enter is not stranded when the section is deleted meanwhile.
TEST_F(ThreadsTest, SectionSerialisesWorkersAndSurvivesDeletion)
{
    std::int32_t section = threads.createSection();
    std::vector<int> order;
    std::mutex orderMutex;
    auto worker = [&](std::int32_t id) {
        threads.enterSection(section);
        for (int step = 0; step < 3; ++step) {
            headless.clock().sleep(50);
            std::lock_guard lock(orderMutex);
            order.push_back(id);
        }
        threads.leaveSection(section);
    };
    ASSERT_TRUE(threads.startThread(worker, 1));
    ASSERT_TRUE(threads.startThread(worker, 2));
    headless.advance(60);
    EXPECT_TRUE(threads.deleteSection(section));
    headless.advance(1000);
    // Whichever entered first ran all its steps before the other began.
    EXPECT_TRUE(order == (std::vector<int> { 1, 1, 1, 2, 2, 2 })
        || order == (std::vector<int> { 2, 2, 2, 1, 1, 1 }));
}

TEST_F(ThreadsTest, EndedThreadStopsAtItsNextWaitAndWritesNoMore)
{
    std::int32_t handle = 0;
    std::atomic<int> writes = 0;
    ASSERT_TRUE(threads.startThread(
        [&](std::int32_t) {
            for (;;) {
                light(true);
                ++writes;
                headless.clock().sleep(100);
            }
        },
        std::nullopt, &handle));
    headless.advance(250);
    EXPECT_EQ(writes, 3);
    EXPECT_TRUE(threads.endThread(handle));
    headless.advance(1000);
    EXPECT_EQ(writes, 3);
    EXPECT_TRUE(threads.endThread(handle)); // a finished thread's handle is still valid
    EXPECT_TRUE(threads.startThread([](std::int32_t) {})); // without a handle variable
}

// A light program writing indicator colours while the interface thread handles clicks and
// reads the same label: run under the thread sanitizer.
TEST_F(ThreadsTest, WorkerWritesColoursWhileTheInterfaceHandlesClicks)
{
    std::atomic<int> toggles = 0;
    ASSERT_TRUE(threads.startThread([&](std::int32_t) {
        for (int i = 0; i < 200; ++i) {
            light(i % 2 == 0);
            ++toggles;
            if (i % 20 == 0)
                headless.clock().sleep(1);
        }
    }));
    int clicks = 0;
    for (int i = 0; i < 50; ++i) {
        input->click(mainId, button);
        std::int32_t seen = colour();
        EXPECT_TRUE(seen == 0 || seen == 255 || seen == buttonFaceColour);
        headless.advance(1);
        ++clicks;
    }
    headless.advance(100);
    EXPECT_EQ(toggles, 200);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "h0()"), clicks);
    EXPECT_EQ(colour(), 0);
    // The refreshes the worker posted reached the view on the interface thread.
    auto t = views.transcript();
    EXPECT_NE(std::find(t.begin(), t.end(), "0x52010001 refresh 0x16010bf6 17"), t.end());
}

} // namespace
} // namespace ui::test

namespace ui::test {
namespace {

std::int64_t addressSpaceKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmSize:", 0) == 0)
            return std::stoll(line.substr(7));
    return -1;
}

// One thread with a handle per track start, all evening: a finished thread that is never
// joined keeps its stack mapped, and at some tens of thousands no thread starts any more.
TEST(ThreadsOnTheSystemClock, FinishedThreadsWithAHandleAreReleased)
{
    platform::SystemClock clock;
    Threads threads(clock);
    std::atomic<int> done = 0;
    std::int32_t handle = 0;
    const auto startOne = [&] {
        ASSERT_TRUE(threads.startThread([&](std::int32_t) { ++done; }, std::nullopt, &handle));
    };
    startOne();
    const std::int64_t before = addressSpaceKiB();
    for (int run = 1; run < 300; ++run) {
        while (done < run)
            std::this_thread::yield();
        startOne();
    }
    while (done < 300)
        std::this_thread::yield();
    // 300 unjoined stacks would be some 2.4 GB.
    EXPECT_LT(addressSpaceKiB() - before, 200 * 1024);
    EXPECT_LE(threads.keptThreadCount(), 2u);
}

// A thread's routine uses what the owner of the threads holds (the windows, the settings):
// once the owner is gone, none of its threads may still be running.
TEST(ThreadsOnTheSystemClock, EndingTheOwnerEndsItsThreadsAndWaitsForThem)
{
    platform::SystemClock clock;
    std::atomic<bool> running = false, ended = false;
    {
        Threads threads(clock);
        std::int32_t handle = 0;
        ASSERT_TRUE(threads.startThread(
            [&](std::int32_t) {
                running = true;
                try {
                    clock.sleep(60'000);
                } catch (const platform::ThreadCancelled&) {
                    ended = true;
                    throw;
                }
            },
            std::nullopt, &handle));
        while (!running)
            std::this_thread::yield();
    }
    EXPECT_TRUE(ended);
}

} // namespace
} // namespace ui::test
