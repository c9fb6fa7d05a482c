#include "backends/pulse/pulse_output.h"
#include "media/track_commands.h"
#include "monitor_recorder.h"
#include "platform/system_clock.h"
#include "private_server.h"
#include "recording_target.h"
#include "test_files.h"
#include "test_sink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace media {
namespace {

using test::MonitorRecorder;

class PulseOutputTest : public test::TestSinkTest {
protected:
    void waitForEnd(const test::RecordingTarget& target)
    {
        for (int i = 0; i < 1000 && !target.ended(); ++i)
            clock.sleep(10);
    }
};

TEST_F(PulseOutputTest, PlayedTrackIsHeardForItsDuration)
{
    MonitorRecorder recorder;
    ASSERT_TRUE(recorder.waitUntilRecording());
    TrackCommands commands({ clock, makeOutput });
    auto target = std::make_shared<test::RecordingTarget>();
    commands.playMusicFile(test::track("cbr_stereo_44k.mp3"), 0, target);
    waitForEnd(*target);
    EXPECT_EQ(commands.queryPlayState(), PlayState::stopped);
    clock.sleep(800); // the monitor lags the sink
    recorder.stop();
    EXPECT_NEAR(MonitorRecorder::heardMillis(recorder.peaks()), 3000, 150);
    EXPECT_LT(MonitorRecorder::longestSilenceMillis(recorder.peaks()), 50);
}

TEST_F(PulseOutputTest, PauseIsSilentAndResumeCarriesOn)
{
    MonitorRecorder recorder;
    ASSERT_TRUE(recorder.waitUntilRecording());
    PlayerServices services { clock, makeOutput };
    Player player(services, test::track("cbr_stereo_44k.mp3"));
    auto target = std::make_shared<test::RecordingTarget>();
    player.play(target, 0);
    clock.sleep(1000);
    player.setPaused(true);
    clock.sleep(1000);
    player.setPaused(false);
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

// What the sound server says of our streams' corking, one line per stream.
std::string corkedLines()
{
    std::string lines;
    if (FILE* pipe = popen("pactl list sink-inputs 2>/dev/null | grep Corked", "r")) {
        char line[128];
        while (std::fgets(line, sizeof line, pipe))
            lines += line;
        pclose(pipe);
    }
    return lines;
}

// A track heard out leaves the stream running a moment for the next one to follow on without a
// restart, then corks it so the sink may sleep; the next track plays on it in full.
TEST_F(PulseOutputTest, StreamLeftIdleAfterATrackCorksItselfAndPlaysTheNext)
{
    TrackCommands commands({ clock, makeOutput });
    auto target = std::make_shared<test::RecordingTarget>();
    commands.playMusicFile(test::track("cbr_stereo_44k.mp3"), 0, target);
    waitForEnd(*target);
    ASSERT_TRUE(target->ended());
    EXPECT_NE(corkedLines().find("Corked: no"), std::string::npos);
    std::string corked;
    for (int i = 0; i < 40 && corked.find("Corked: yes") == std::string::npos; ++i) {
        clock.sleep(100);
        corked = corkedLines();
    }
    EXPECT_NE(corked.find("Corked: yes"), std::string::npos) << corked;

    MonitorRecorder recorder;
    ASSERT_TRUE(recorder.waitUntilRecording());
    target = std::make_shared<test::RecordingTarget>();
    commands.playMusicFile(test::track("cbr_stereo_44k.mp3"), 0, target);
    waitForEnd(*target);
    clock.sleep(800); // the monitor lags the sink
    recorder.stop();
    EXPECT_NEAR(MonitorRecorder::heardMillis(recorder.peaks()), 3000, 150);
}

// The sound server dies in the middle of a track and comes back: the track ends at once
// through the player's end report (no hang, no run through the rest of the file), and the
// next track plays on the new server.
// The loop lock knows its holder through nesting and across a wait, when the loop thread has
// it meanwhile: that is what the …Locked helpers check.
TEST_F(PulseOutputTest, LoopLockIsKnownToItsHolderThroughNestingAndWaits)
{
    using platform::pulse::PulseConnection;
    auto connection = PulseConnection::connect("dancehall lock test");
    ASSERT_TRUE(connection);
    {
        PulseConnection::Lock lock(*connection);
        {
            PulseConnection::Lock again(*connection);
            EXPECT_TRUE(connection->readyLocked());
        }
        EXPECT_TRUE(connection->readyLocked());
        auto answered = [](pa_context*, const pa_server_info*, void* self) {
            static_cast<PulseConnection*>(self)->signal();
        };
        EXPECT_TRUE(connection->waitFor(
            pa_context_get_server_info(connection->context(), answered, connection.get())));
        EXPECT_TRUE(connection->readyLocked());
    }
#ifndef NDEBUG
    EXPECT_DEATH(connection->readyLocked(), "loop lock was called without it");
#endif
}

TEST(PulseRestart, TrackAfterTheServerRestartsIsPlayed)
{
    SKIP_WITHOUT_TEST_SINK();
    using Steady = std::chrono::steady_clock;
    platform::SystemClock clock;
    test::PrivateServer server;
    server.start();
    OutputFactory makeOutput;
    for (int i = 0; i < 500 && !makeOutput; ++i, clock.sleep(10))
        makeOutput = platform::pulse::pulseOutputFactory();
    ASSERT_TRUE(makeOutput);
    TrackCommands commands({ clock, makeOutput });
    auto target = std::make_shared<test::RecordingTarget>();
    commands.playMusicFile(test::repeatedTrack(10), 0, target);
    ASSERT_EQ(commands.queryPlayState(), PlayState::playing);
    clock.sleep(1000);

    server.stop(SIGKILL);
    auto killed = Steady::now();
    for (int i = 0; i < 500 && !target->ended(); ++i)
        clock.sleep(10);
    ASSERT_TRUE(target->ended());
    EXPECT_LT(Steady::now() - killed, std::chrono::seconds(1));
    EXPECT_EQ(commands.queryPlayState(), PlayState::stopped);
    auto posts = target->posts();
    ASSERT_GE(posts.size(), 2u);
    EXPECT_LT(posts[posts.size() - 2], 10) << "the percent ran on after the server died";

    // While no server answers a track cannot be played; once it is back, the next one plays.
    server.start();
    target = std::make_shared<test::RecordingTarget>();
    for (int i = 0; i < 500 && commands.queryPlayState() != PlayState::playing;
         ++i, clock.sleep(10))
        commands.playMusicFile(test::track("cbr_stereo_44k.mp3"), 0, target);
    ASSERT_EQ(commands.queryPlayState(), PlayState::playing);
    auto started = Steady::now();
    for (int i = 0; i < 1000 && !target->ended(); ++i)
        clock.sleep(10);
    double took = std::chrono::duration<double, std::milli>(Steady::now() - started).count();
    EXPECT_TRUE(target->ended());
    // At the server's pace, not taken at once by a dead stream; a null sink nobody records
    // from runs with a long latency, which the end report waits out.
    EXPECT_GT(took, test::repeatedTrackMillis(1) - 300);
    EXPECT_LT(took, test::repeatedTrackMillis(1) + 2000);
}

} // namespace
} // namespace media
