// The light output against a real olad: what the lamps are set to is what the universe holds,
// in real time, through the daemon going away and coming back.

#include "ola_daemon.h"

#include "backends/ola/ola_light_outputs.h"
#include "backends/ola/ola_link.h"
#include "lights/dmx_sender.h"
#include "platform/system_clock.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Polls the universe until it holds a frame that passes; how long that took, or nothing by
// the deadline.
std::optional<milliseconds> waitForFrame(const test_support::OlaDaemon& daemon, unsigned universe,
    const std::function<bool(const std::vector<std::uint8_t>&)>& wanted, milliseconds limit)
{
    const auto start = Clock::now();
    while (Clock::now() - start < limit) {
        if (const auto frame = daemon.fetch(universe); frame && wanted(*frame))
            return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
        std::this_thread::sleep_for(milliseconds(2));
    }
    return std::nullopt;
}

std::function<bool(const std::vector<std::uint8_t>&)> exactly(
    std::map<int, std::uint8_t> litChannels)
{
    return [litChannels](const std::vector<std::uint8_t>& frame) {
        for (int channel = 1; channel <= 512; ++channel) {
            const auto it = litChannels.find(channel);
            if (frame[channel - 1] != (it == litChannels.end() ? 0 : it->second))
                return false;
        }
        return true;
    };
}

std::unique_ptr<lights::DmxSender> startOutput(
    platform::Clock& clock, const lights::LightSettings& settings, std::uint16_t port)
{
    return std::make_unique<lights::DmxSender>(
        clock, settings, std::make_unique<platform::ola::OlaLink>(port));
}

class OlaOutput : public testing::Test {
protected:
    platform::SystemClock clock_;
};

TEST_F(OlaOutput, LampsReachTheirChannelsWithinAHundredMilliseconds)
{
    test_support::OlaDaemon daemon(1);
    ASSERT_TRUE(daemon.start());
    const auto output = startOutput(clock_, {}, daemon.port());
    ASSERT_TRUE(waitForFrame(daemon, 1, exactly({}), milliseconds(3000)));
    for (const int lamp : { 1, 3, 16 })
        output->setLamp(lamp, true);
    const auto took = waitForFrame(
        daemon, 1, exactly({ { 1, 255 }, { 3, 255 }, { 16, 255 } }), milliseconds(1000));
    ASSERT_TRUE(took) << "the three lamps never reached the universe";
    EXPECT_LT(took->count(), 100);
    EXPECT_TRUE(output->connected());
}

TEST_F(OlaOutput, TheProgramsOutputsTakeTheirLinkFromTheModule)
{
    test_support::OlaDaemon daemon(1);
    ASSERT_TRUE(daemon.start());
    const auto outputs = platform::ola::olaLightOutputs(
        std::make_shared<platform::SharedModule>(OLA_MODULE_PATH, platform::ola::linkEntryName),
        daemon.port());
    auto output = outputs(clock_, {});
    output->setLamp(7, true);
    ASSERT_TRUE(waitForFrame(daemon, 1, exactly({ { 7, 255 } }), milliseconds(3000)));
    // The next output of the same factory (settings applied again) finds the module loaded.
    output.reset();
    output = outputs(clock_, {});
    output->setLamp(8, true);
    EXPECT_TRUE(waitForFrame(daemon, 1, exactly({ { 8, 255 } }), milliseconds(3000)));
    EXPECT_TRUE(output->connected());
}

TEST_F(OlaOutput, CustomChannelsAndLevelsOnAnotherUniverse)
{
    test_support::OlaDaemon daemon(300);
    ASSERT_TRUE(daemon.start());
    lights::LightSettings settings;
    settings.universe = 300;
    settings.lamps[0] = { 101, 200, 10 };
    settings.lamps[1] = { 512, 77, 0 };
    const auto output = startOutput(clock_, settings, daemon.port());
    output->setLamp(2, true);
    ASSERT_TRUE(
        waitForFrame(daemon, 300, exactly({ { 101, 10 }, { 512, 77 } }), milliseconds(3000)));
    output->setLamp(1, true);
    output->setLamp(2, false);
    EXPECT_TRUE(waitForFrame(daemon, 300, exactly({ { 101, 200 } }), milliseconds(1000)));
}

TEST_F(OlaOutput, FramesResumeWithTheCurrentStateAfterTheDaemonIsKilledAndRestarted)
{
    test_support::OlaDaemon daemon(1);
    ASSERT_TRUE(daemon.start());
    const auto output = startOutput(clock_, {}, daemon.port());
    output->setLamp(5, true);
    ASSERT_TRUE(waitForFrame(daemon, 1, exactly({ { 5, 255 } }), milliseconds(3000)));

    daemon.stop(SIGKILL);
    output->setLamp(5, false); // changes go on while the daemon is away
    output->setLamp(9, true);
    ASSERT_TRUE(daemon.start());
    const auto took = waitForFrame(daemon, 1, exactly({ { 9, 255 } }), milliseconds(5000));
    ASSERT_TRUE(took) << "no frame with the current state after the restart";
    EXPECT_LT(took->count(), 3000);
    EXPECT_TRUE(output->connected());
}

TEST_F(OlaOutput, WithoutADaemonLampChangesReturnAtOnceAndShutDownDoesNotHang)
{
    const auto output = startOutput(clock_, {}, test_support::freeLoopbackPort());
    const auto start = Clock::now();
    for (int round = 0; round < 100; ++round)
        for (int lamp = 1; lamp <= lights::lampCount; ++lamp)
            output->setLamp(lamp, round % 2 == 0);
    EXPECT_LT(Clock::now() - start, milliseconds(500));
    EXPECT_FALSE(output->connected());
    output->switchOff();
}

TEST_F(OlaOutput, SwitchOffLeavesTheOffLevelsInTheUniverse)
{
    test_support::OlaDaemon daemon(1);
    ASSERT_TRUE(daemon.start());
    lights::LightSettings settings;
    settings.lamps[3].off = 40;
    auto output = startOutput(clock_, settings, daemon.port());
    output->setLamp(1, true);
    ASSERT_TRUE(waitForFrame(daemon, 1, exactly({ { 1, 255 }, { 4, 40 } }), milliseconds(3000)));
    output->switchOff();
    // The daemon keeps the last frame while the sender stays connected; it has not gone yet.
    EXPECT_TRUE(waitForFrame(daemon, 1, exactly({ { 4, 40 } }), milliseconds(1000)));
}

} // namespace
