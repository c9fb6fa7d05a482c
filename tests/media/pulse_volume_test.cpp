#include "media/system_volume.h"
#include "media/track_commands.h"
#include "monitor_recorder.h"
#include "platform/pulse/pulse_mixer.h"
#include "platform/pulse/pulse_output.h"
#include "platform/system_clock.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <numeric>

namespace media {
namespace {

// On the test server: the default sink's volume is what is heard on its monitor.
TEST(PulseVolume, SetSystemVolumeChangesTheLevelHeard)
{
    if (!std::getenv("PULSE_SERVER"))
        GTEST_SKIP() << "no test sound server (run through scripts/with-test-env)";
    platform::SystemClock clock;
    std::atomic<int> volumeEvents = 0;
    SystemVolume volume(platform::pulse::pulseMixerFactory(), [&](SystemVolume::Event e) {
        if (e == SystemVolume::volumeChanged)
            ++volumeEvents;
    });
    ASSERT_EQ(volume.openSystemVolume(SystemVolume::speakerLine), 1);
    ASSERT_EQ(volume.setSystemVolume(65535, 65535), 1);

    test::MonitorRecorder recorder;
    ASSERT_TRUE(recorder.waitUntilRecording());
    TrackCommands commands({ clock, platform::pulse::pulseOutputFactory() });
    commands.playMusicFile(test::track("cbr_stereo_44k.mp3"));
    clock.sleep(1200);
    std::size_t loudEnd = recorder.peaks().size();
    ASSERT_EQ(volume.setSystemVolume(16384, 16384), 1);
    int left = 0, right = 0;
    EXPECT_EQ(volume.getSystemVolume(left, right), 1);
    EXPECT_EQ(left, 16384);
    EXPECT_EQ(right, 16384);
    clock.sleep(1200);
    recorder.stop();
    commands.stopPlaying();
    volume.setSystemVolume(65535, 65535);

    auto peaks = recorder.peaks();
    ASSERT_GT(peaks.size(), loudEnd + 60);
    auto average = [&](std::size_t from, std::size_t to) {
        return std::accumulate(peaks.begin() + from, peaks.begin() + to, 0.0) / (to - from);
    };
    double loud = average(loudEnd - 40, loudEnd - 10);
    double quiet = average(loudEnd + 50, loudEnd + 60);
    EXPECT_GT(loud, 10000);
    EXPECT_LT(quiet, loud / 4);
    EXPECT_GT(quiet, 0);
    for (int i = 0; i < 100 && volumeEvents < 2; ++i)
        clock.sleep(10);
    EXPECT_GE(volumeEvents, 2);
}

} // namespace
} // namespace media
