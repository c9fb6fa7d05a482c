// The sender thread on virtual time, against a link that records what it is given and can be
// taken away: when frames go out, what they hold, and how a lost daemon is looked for.

#include "lights/dmx_sender.h"

#include "backends/headless/headless_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace lights {
namespace {

struct Sent {
    platform::Millis at;
    int universe;
    DmxFrame frame;
};

// What the daemon would have received. The test thread reads it at quiescence.
struct Daemon {
    std::mutex mutex;
    std::vector<Sent> frames;
    std::vector<platform::Millis> connectTries;
    std::atomic<bool> up { true };
    platform::Clock* clock = nullptr;
    platform::Millis sendMillis = 0; // how long handing over a frame takes
};

class RecordingLink final : public DmxLink {
public:
    explicit RecordingLink(Daemon& daemon)
        : daemon_(daemon)
    {
    }
    bool connect() override
    {
        std::lock_guard lock(daemon_.mutex);
        daemon_.connectTries.push_back(daemon_.clock->now());
        return daemon_.up;
    }
    bool send(int universe, const DmxFrame& frame) override
    {
        if (!daemon_.up)
            return false;
        {
            std::lock_guard lock(daemon_.mutex);
            daemon_.frames.push_back({ daemon_.clock->now(), universe, frame });
        }
        daemon_.clock->sleep(daemon_.sendMillis);
        return true;
    }
    void disconnect() override { }

private:
    Daemon& daemon_;
};

class DmxSenderTest : public testing::Test {
protected:
    DmxSenderTest() { daemon_.clock = &clock_; }

    std::unique_ptr<DmxSender> start(const LightSettings& settings = {})
    {
        auto sender = std::make_unique<DmxSender>(
            clock_, settings, std::make_unique<RecordingLink>(daemon_));
        clock_.advance(0);
        return sender;
    }
    std::vector<Sent> frames()
    {
        std::lock_guard lock(daemon_.mutex);
        return daemon_.frames;
    }
    std::vector<platform::Millis> connectTries()
    {
        std::lock_guard lock(daemon_.mutex);
        return daemon_.connectTries;
    }

    Daemon daemon_;
    platform::headless::HeadlessClock clock_;
};

TEST_F(DmxSenderTest, SendsAChangeAtOnceAndRefreshesWithinASecond)
{
    LightSettings settings;
    settings.universe = 12;
    auto sender = start(settings);
    ASSERT_EQ(frames().size(), 1u) << "the state goes out on connecting";
    EXPECT_TRUE(sender->connected());
    clock_.advance(300);
    sender->setLamp(3, true);
    clock_.advance(0);
    ASSERT_EQ(frames().size(), 2u);
    EXPECT_EQ(frames().back().at, 300);
    EXPECT_EQ(frames().back().universe, 12);
    EXPECT_EQ(frames().back().frame[2], 255);

    clock_.advance(3000);
    const auto sent = frames();
    ASSERT_EQ(sent.size(), 5u);
    for (std::size_t i = 2; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].at - sent[i - 1].at, DmxSender::refreshMillis);
        EXPECT_EQ(sent[i].frame, sent[1].frame);
    }
}

TEST_F(DmxSenderTest, FadeGoesOutAsFramesAtFortyPerSecond)
{
    LightSettings settings;
    settings.fadeMillis = 400;
    auto sender = start(settings);
    sender->setLamp(1, true);
    clock_.advance(1500);
    std::vector<int> levels;
    for (const Sent& sent : frames())
        if (sent.at >= 0 && sent.at <= 400)
            levels.push_back(sent.frame[0]);
    // The one at connecting, then one at 0 and every 25 ms up to 400.
    ASSERT_EQ(levels.size(), 18u);
    for (std::size_t i = 2; i < levels.size(); ++i)
        EXPECT_GT(levels[i], levels[i - 1]);
    EXPECT_EQ(levels.back(), 255);
    EXPECT_EQ(frames().back().at, 400 + DmxSender::refreshMillis)
        << "back to refreshing after the last fade frame";
}

// A frame that takes its time to hand over (a busy daemon, a loaded machine) must not push
// every later one back: the lamps would fade in steps and a node would drop an idle output.
TEST_F(DmxSenderTest, ASlowSendStretchesNeitherTheFadeFramesNorTheRefresh)
{
    LightSettings settings;
    settings.fadeMillis = 400;
    daemon_.sendMillis = 9;
    auto sender = start(settings);
    clock_.advance(100);
    sender->setLamp(1, true);
    clock_.advance(6000);
    const std::vector<Sent> sent = frames();
    ASSERT_GT(sent.size(), 20u);
    for (std::size_t i = 1; i < sent.size(); ++i) {
        const bool fading = sent[i - 1].at >= 100 && sent[i - 1].at < 500;
        EXPECT_LE(sent[i].at - sent[i - 1].at, fading ? 40 : 1000)
            << "frame " << i << " at " << sent[i].at;
    }
}

TEST_F(DmxSenderTest, AbsentDaemonIsTriedEveryTwoSecondsAndGetsTheCurrentStateAtOnce)
{
    daemon_.up = false;
    auto sender = start();
    sender->setLamp(16, true); // lamp changes go on while nobody listens
    clock_.advance(5000);
    EXPECT_EQ(connectTries(), (std::vector<platform::Millis> { 0, 2000, 4000 }));
    EXPECT_FALSE(sender->connected());
    EXPECT_TRUE(frames().empty());

    daemon_.up = true;
    clock_.advance(1000);
    ASSERT_FALSE(frames().empty());
    EXPECT_EQ(frames().front().at, 6000);
    EXPECT_EQ(frames().front().frame[15], 255);
    EXPECT_TRUE(sender->connected());
}

TEST_F(DmxSenderTest, LostDaemonIsLookedForAgainAtOnceThenEveryTwoSeconds)
{
    auto sender = start();
    clock_.advance(100);
    daemon_.up = false;
    clock_.advance(5000); // the first refresh fails
    EXPECT_FALSE(sender->connected());
    constexpr platform::Millis refresh = DmxSender::refreshMillis;
    EXPECT_EQ(connectTries(),
        (std::vector<platform::Millis> { 0, refresh, refresh + 2000, refresh + 4000 }));
}

TEST_F(DmxSenderTest, SwitchOffSendsTheOffLevelsAndIgnoresLaterChanges)
{
    LightSettings settings;
    settings.fadeMillis = 2000;
    settings.lamps[0].off = 30;
    auto sender = start(settings);
    sender->setLamp(1, true);
    clock_.advance(500);
    sender->switchOff();
    const Sent last = frames().back();
    EXPECT_EQ(last.frame[0], 30) << "no fade at shut-down";
    sender->setLamp(1, true);
    clock_.advance(3000);
    EXPECT_EQ(frames().size(), frames().size());
    EXPECT_EQ(frames().back().frame, last.frame);
    EXPECT_EQ(frames().back().at, last.at);
}

TEST_F(DmxSenderTest, SwitchOffWithoutADaemonTriesOnceAndReturns)
{
    daemon_.up = false;
    auto sender = start();
    clock_.advance(500);
    sender->switchOff();
    EXPECT_EQ(connectTries().size(), 2u);
    EXPECT_TRUE(frames().empty());
}

} // namespace
} // namespace lights
