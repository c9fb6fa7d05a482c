#include "media/track_commands.h"
#include "monitor_recorder.h"
#include "platform/pulse/pulse_output.h"
#include "platform/system_clock.h"
#include "recording_target.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <chrono>

namespace media {
namespace {

using test::MonitorRecorder;

class PulseOutputTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("PULSE_SERVER"))
            GTEST_SKIP() << "no test sound server (run through scripts/with-test-env)";
        makeOutput = platform::pulse::pulseOutputFactory();
        ASSERT_TRUE(makeOutput);
    }

    void waitForEnd(const test::RecordingTarget& target)
    {
        for (int i = 0; i < 1000 && !target.ended(); ++i)
            clock.sleep(10);
    }

    platform::SystemClock clock;
    OutputFactory makeOutput;
};

TEST_F(PulseOutputTest, PlayedTrackIsHeardForItsDuration)
{
    MonitorRecorder recorder;
    ASSERT_TRUE(recorder.waitUntilRecording());
    TrackCommands commands({ clock, makeOutput });
    auto target = std::make_shared<test::RecordingTarget>();
    commands.playMusicFile(test::track("cbr_stereo_44k.mp3"), 0, target);
    waitForEnd(*target);
    EXPECT_EQ(commands.queryPlayState(), 0);
    clock.sleep(800); // the monitor lags the sink
    recorder.stop();
    EXPECT_NEAR(MonitorRecorder::heardMillis(recorder.peaks()), 3000, 150);
    EXPECT_LT(MonitorRecorder::longestSilenceMillis(recorder.peaks()), 50);
}

TEST_F(PulseOutputTest, PauseIsSilentAndResumeCarriesOn)
{
    MonitorRecorder recorder;
    ASSERT_TRUE(recorder.waitUntilRecording());
    std::string names = test::track("cbr_stereo_44k.mp3") + '\0' + '\0';
    PlayerServices services { clock, makeOutput };
    Player player(services, { test::track("cbr_stereo_44k.mp3") }, 1);
    auto target = std::make_shared<test::RecordingTarget>();
    player.newPlay(target, std::nullopt, 0);
    clock.sleep(1000);
    player.setPauseState(true);
    clock.sleep(1000);
    player.setPauseState(false);
    waitForEnd(*target);
    clock.sleep(800); // the monitor lags the sink
    recorder.stop();
    auto peaks = recorder.peaks();
    EXPECT_NEAR(MonitorRecorder::longestSilenceMillis(peaks), 1000, 150);
    EXPECT_NEAR(MonitorRecorder::heardMillis(peaks), 4000, 200);
}

TEST_F(PulseOutputTest, StopIsQuickAndSilent)
{
    MonitorRecorder recorder;
    ASSERT_TRUE(recorder.waitUntilRecording());
    TrackCommands commands({ clock, makeOutput });
    commands.playMusicFile(test::track("cbr_stereo_44k.mp3"));
    clock.sleep(500);
    auto start = std::chrono::steady_clock::now();
    commands.stopPlaying();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    clock.sleep(1000);
    recorder.stop();
    // What the sink had already taken may still sound, but not the rest of the track.
    EXPECT_LT(MonitorRecorder::heardMillis(recorder.peaks()), 1200);
}

} // namespace
} // namespace media
