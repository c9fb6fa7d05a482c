#include "media/simulated_mixer.h"
#include "media/system_volume.h"
#include "backends/headless/headless_clock.h"

#include <gtest/gtest.h>

#include <atomic>

namespace media {
namespace {

class SimulatedVolume : public testing::Test {
protected:
    SystemVolume volumeOn(std::shared_ptr<SimulatedMixer> m)
    {
        return SystemVolume(simulatedMixerFactory(std::move(m)), [this](SystemVolume::Event e) {
            if (e == SystemVolume::volumeChanged)
                ++volumeEvents;
        });
    }

    platform::headless::HeadlessClock clock;
    std::shared_ptr<SimulatedMixer> mixer = std::make_shared<SimulatedMixer>(clock);
    std::atomic<int> volumeEvents = 0;
};

TEST_F(SimulatedVolume, OpenResultTellsWhichControlsWereFound)
{
    EXPECT_EQ(volumeOn(mixer).openSystemVolume(SystemVolume::speakerLine), 1);
    EXPECT_EQ(volumeOn(mixer).openSystemVolume(0x1008), 1);
    EXPECT_EQ(volumeOn(mixer).openSystemVolume(0x2000), 0);
    auto noMute = std::make_shared<SimulatedMixer>(clock, 2, false);
    EXPECT_EQ(volumeOn(noMute).openSystemVolume(SystemVolume::speakerLine), -2);
    SystemVolume noServer([] { return nullptr; }, [](SystemVolume::Event) {});
    EXPECT_EQ(noServer.openSystemVolume(SystemVolume::speakerLine), 0);
}

TEST_F(SimulatedVolume, GetAndSetNeedAnOpenVolume)
{
    SystemVolume volume = volumeOn(mixer);
    int left = 7, right = 8;
    EXPECT_EQ(volume.getSystemVolume(left, right), -1);
    EXPECT_EQ(left, 7);
    EXPECT_EQ(right, 8);
    EXPECT_EQ(volume.setSystemVolume(100, 100), 0);
    EXPECT_TRUE(mixer->history().empty());
    // A failed re-open closes what was open.
    ASSERT_EQ(volume.openSystemVolume(SystemVolume::speakerLine), 1);
    EXPECT_EQ(volume.openSystemVolume(0x2000), 0);
    EXPECT_EQ(volume.getSystemVolume(left, right), -1);
}

TEST_F(SimulatedVolume, ValuesAreClampedPerChannel)
{
    SystemVolume volume = volumeOn(mixer);
    ASSERT_EQ(volume.openSystemVolume(SystemVolume::speakerLine), 1);
    EXPECT_EQ(volume.setSystemVolume(75000, -3), 1);
    int left = 0, right = 0;
    EXPECT_EQ(volume.getSystemVolume(left, right), 1);
    EXPECT_EQ(left, 65535);
    EXPECT_EQ(right, 0);
    EXPECT_EQ(volumeEvents, 1);

    auto mono = std::make_shared<SimulatedMixer>(clock, 1);
    SystemVolume monoVolume = volumeOn(mono);
    ASSERT_EQ(monoVolume.openSystemVolume(SystemVolume::speakerLine), 1);
    EXPECT_EQ(monoVolume.setSystemVolume(1000, 2000), 1);
    EXPECT_EQ(monoVolume.getSystemVolume(left, right), 1);
    EXPECT_EQ(left, 1000);
    EXPECT_EQ(right, -1);
}

// A 5.1 sink: every pass of a fade lowers all six channels alike and keeps the quieter rear
// pair in proportion, where the second channel used to drop to silence at the first pass.
TEST_F(SimulatedVolume, SurroundLineFadesAsAWhole)
{
    auto surround = std::make_shared<SimulatedMixer>(clock, 6);
    ASSERT_TRUE(surround->setVolumes({ 60000, 60000, 30000, 30000, 60000, 60000 }));
    SystemVolume volume = volumeOn(surround);
    ASSERT_EQ(volume.openSystemVolume(SystemVolume::speakerLine), 1);
    int left = 0, right = 0;
    ASSERT_EQ(volume.getSystemVolume(left, right), 1);
    EXPECT_EQ(left, 60000);
    EXPECT_EQ(right, 60000);
    ASSERT_EQ(volume.setSystemVolume(left - 1000, right - 1000), 1);
    EXPECT_EQ(surround->volumes(),
        (std::vector<std::int64_t> { 59000, 59000, 29500, 29500, 59000, 59000 }));
    ASSERT_EQ(volume.setSystemVolume(0, 0), 1);
    EXPECT_EQ(surround->volumes(), std::vector<std::int64_t>(6, 0));
    // A fade-in from silence brings the balance back.
    ASSERT_EQ(volume.setSystemVolume(2000, 2000), 1);
    EXPECT_EQ(
        surround->volumes(), (std::vector<std::int64_t> { 2000, 2000, 1000, 1000, 2000, 2000 }));
}

TEST_F(SimulatedVolume, FadeRunsInVirtualTime)
{
    SystemVolume volume = volumeOn(mixer);
    ASSERT_EQ(volume.openSystemVolume(SystemVolume::speakerLine), 1);
    for (int level = 0; level <= 32000; level += 200) {
        volume.setSystemVolume(level, level);
        clock.sleep(100);
    }
    auto history = mixer->history();
    ASSERT_EQ(history.size(), 161u);
    EXPECT_EQ(history.back().at - history.front().at, 16000);
    EXPECT_EQ(history.back().values, (std::vector<std::int64_t> { 32000, 32000 }));
}

} // namespace
} // namespace media
