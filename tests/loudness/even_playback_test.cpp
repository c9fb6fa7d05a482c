// Two tracks mastered 10 dB apart, played through the real player at the gains their
// measurements give, are heard at one level on the test sink's monitor.

#include "../media/recording_target.h"
#include "../media/test_sink.h"
#include "loudness/track_gain.h"
#include "loudness/track_loudness.h"
#include "media/track_commands.h"
#include "monitor_recorder.h"
#include "reference_meter.h"

#include <gtest/gtest.h>

#include <atomic>

namespace loudness {
namespace {

class EvenPlayback : public media::test::TestSinkTest {
protected:
    void SetUp() override
    {
        media::test::TestSinkTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        if (!test::haveFfmpeg())
            GTEST_SKIP() << "ffmpeg makes the material and is the reference";
    }

    // The loudness the monitor heard while `track` played at the gain its measurement gives.
    double heardLufs(const std::string& track)
    {
        const std::atomic<bool> never { false };
        auto measured = measureTrack(track, never);
        EXPECT_TRUE(std::holds_alternative<Loudness>(measured));
        if (!std::holds_alternative<Loudness>(measured))
            return 0;
        const float gain = linearGain(gainDb(std::get<Loudness>(measured), defaultTargetLufs));

        media::test::MonitorRecorder monitor(media::test::MonitorRecorder::Keep::samples);
        EXPECT_TRUE(monitor.recording());
        media::TrackCommands commands(
            { clock, makeOutput, platform::systemFileSystem(), [gain](auto&) { return gain; } });
        auto target = std::make_shared<media::test::RecordingTarget>();
        commands.playMusicFile(track, 0, target);
        for (int i = 0; i < 1000 && !target->ended(); ++i)
            clock.sleep(10);
        EXPECT_TRUE(target->ended());
        clock.sleep(300); // the monitor lags the sink
        monitor.stop();
        std::string recording = track + ".heard.wav";
        EXPECT_TRUE(monitor.saveWav(recording));
        auto heard = test::referenceFigures(recording);
        EXPECT_TRUE(heard);
        return heard ? heard->integratedLufs : 0;
    }
};

TEST_F(EvenPlayback, TracksTenDecibelsApartAreHeardWithinOneLu)
{
    const std::string noise = "anoisesrc=color=pink:sample_rate=44100:amplitude=0.5:seed=3";
    std::string loud = testing::TempDir() + "even_loud.mp3";
    std::string soft = testing::TempDir() + "even_soft.mp3";
    ASSERT_TRUE(test::makeMp3(loud, noise, 2.5));
    ASSERT_TRUE(test::makeMp3(soft, noise, 2.5, 2, "volume=-10dB"));
    double loudHeard = heardLufs(loud);
    double softHeard = heardLufs(soft);
    EXPECT_NEAR(loudHeard, softHeard, 1.0);
}

} // namespace
} // namespace loudness
