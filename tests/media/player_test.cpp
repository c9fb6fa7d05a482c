#include "backends/headless/headless_clock.h"
#include "faulty_file_system.h"
#include "media/silent_output.h"
#include "media/track_commands.h"
#include "platform/system_clock.h"
#include "test_files.h"
#include "virtual_time_player.h"

#include <gtest/gtest.h>

#include <chrono>

namespace media {
namespace {

using test::RecordingTarget;
using test::track;

PlayerServices silentServices(platform::Clock& clock)
{
    return { clock, [&clock] { return std::make_unique<SilentOutput>(clock); } };
}

// Plays in virtual time on the silent device.
using PlayerTest = test::VirtualTimePlayer;

void expectProgressSequence(const std::vector<int>& posts)
{
    ASSERT_FALSE(posts.empty());
    EXPECT_EQ(posts.back(), 100);
    for (std::size_t i = 1; i < posts.size(); ++i)
        EXPECT_LT(posts[i - 1], posts[i]) << "at " << i;
    for (std::size_t i = 0; i + 1 < posts.size(); ++i)
        EXPECT_LE(posts[i], 99);
}

class EveryTrack : public PlayerTest, public testing::WithParamInterface<const char*> { };

TEST_P(EveryTrack, PlaysToASingleHundredInItsDuration)
{
    commands.playMusicFile(track(GetParam()), 0, target);
    EXPECT_EQ(commands.queryPlayState(), PlayState::playing);
    platform::Millis took = playToEnd();
    expectProgressSequence(target->posts());
    EXPECT_EQ(commands.queryPlayState(), PlayState::stopped);
    EXPECT_NEAR(double(took), 3000.0, 250.0);
}

INSTANTIATE_TEST_SUITE_P(Tracks, EveryTrack,
    testing::Values("cbr_stereo_44k.mp3", "cbr_mono_44k.mp3", "mpeg2_22k.mp3", "mpeg25_8k.mp3",
        "vbr_xing.mp3", "vbr_no_xing.mp3", "layer2.mp3", "id3v1.mp3", "id3v23_extended.mp3",
        "id3v24.mp3"),
    [](const auto& info) {
        std::string name = info.param;
        return name.substr(0, name.find('.'));
    });

TEST_F(PlayerTest, TruncatedAndShortTracksStillEndOnce)
{
    commands.playMusicFile(track("truncated.mp3"), 0, target);
    EXPECT_NEAR(double(playToEnd()), 1500.0, 150.0);
    expectProgressSequence(target->posts());

    target = std::make_shared<RecordingTarget>();
    commands.playMusicFile(track("short.mp3"), 0, target);
    playToEnd();
    expectProgressSequence(target->posts());
}

TEST_F(PlayerTest, UnplayableFilesPostNothing)
{
    for (const char* name : { "random.mp3", "empty.mp3", "wave_1500ms.wav", "missing.mp3" }) {
        commands.playMusicFile(track(name), 0, target);
        EXPECT_EQ(commands.queryPlayState(), PlayState::stopped) << name;
        clock.advance(1000);
    }
    commands.playMusicFile("", 0, target);
    EXPECT_EQ(commands.queryPlayState(), PlayState::stopped);
    EXPECT_TRUE(target->posts().empty());
}

// A file that fails to read at any point ends the track there, as a file cut short does: the
// end is reported once and the player stops. A failure while opening plays nothing at all.
TEST_F(PlayerTest, AReadErrorEndsTheTrackWhereItHappens)
{
    for (int failAt = 1;; ++failAt) {
        support::FaultyFileSystem files;
        files.failNth({ support::FileCall::readAt }, failAt, EIO);
        Player player({ clock, [this] { return std::make_unique<SilentOutput>(clock); }, files },
            track("cbr_stereo_44k.mp3"));
        target = std::make_shared<RecordingTarget>();
        player.play(target, 0);
        if (player.state() == PlayState::stopped) {
            EXPECT_TRUE(target->posts().empty()) << "read " << failAt;
            continue;
        }
        EXPECT_LT(playToEnd(), 5000) << "read " << failAt;
        expectProgressSequence(target->posts());
        EXPECT_EQ(player.state(), PlayState::stopped) << "read " << failAt;
        if (files.calls(support::FileCall::readAt) < failAt)
            break; // read to the end without meeting the failure
    }
}

TEST_F(PlayerTest, PauseHoldsTheTrackUntilResumed)
{
    Player missing(silentServices(clock), track("missing.mp3"));
    missing.play(target, 0);
    EXPECT_EQ(missing.state(), PlayState::stopped);

    Player player(silentServices(clock), track("cbr_stereo_44k.mp3"));
    player.play(target, 0);
    clock.advance(1000);
    player.setPaused(false); // resuming while playing changes nothing
    EXPECT_EQ(player.state(), PlayState::playing);
    player.setPaused(true);
    player.setPaused(true);
    EXPECT_EQ(player.state(), PlayState::paused);
    clock.advance(10'000);
    EXPECT_FALSE(target->ended());
    player.setPaused(false);
    EXPECT_EQ(player.state(), PlayState::playing);
    platform::Millis took = playToEnd();
    EXPECT_NEAR(double(took), 2000.0, 250.0);
    EXPECT_EQ(player.state(), PlayState::stopped);
}

TEST_F(PlayerTest, StartPercentSeeksAndIsClamped)
{
    commands.playMusicFile(track("vbr_xing.mp3"), 50, target);
    EXPECT_NEAR(double(playToEnd()), 1500.0, 250.0);
    EXPECT_GE(target->posts().front(), 50);
    expectProgressSequence(target->posts());

    target = std::make_shared<RecordingTarget>();
    commands.playMusicFile(track("cbr_stereo_44k.mp3"), 150, target);
    EXPECT_LT(playToEnd(), 100);
    EXPECT_EQ(target->posts(), std::vector<int> { 100 });

    target = std::make_shared<RecordingTarget>();
    commands.playMusicFile(track("cbr_stereo_44k.mp3"), -5, target);
    EXPECT_NEAR(double(playToEnd()), 3000.0, 250.0);
}

// A start in milliseconds lands on the frame that holds it, with or without a seek table, and
// a time past the end plays nothing.
TEST_F(PlayerTest, StartAtATimeSeeksToItsFrame)
{
    for (const char* name : { "cbr_stereo_44k.mp3", "vbr_xing.mp3", "vbr_no_xing.mp3" }) {
        target = std::make_shared<RecordingTarget>();
        commands.playMusicFile(track(name), 0, target);
        const platform::Millis whole = playToEnd();
        target = std::make_shared<RecordingTarget>();
        commands.playMusicFileFrom(track(name), TrackStart::millis(whole - 700), target);
        EXPECT_NEAR(double(playToEnd()), 700.0, 120.0) << name;
        expectProgressSequence(target->posts());
    }
    target = std::make_shared<RecordingTarget>();
    commands.playMusicFileFrom(track("cbr_stereo_44k.mp3"), TrackStart::millis(60'000), target);
    EXPECT_LT(playToEnd(), 100);
    EXPECT_EQ(target->posts(), std::vector<int> { 100 });
}

TEST_F(PlayerTest, PlayOnAPausedTrackReplacesIt)
{
    Player player(silentServices(clock), track("cbr_stereo_44k.mp3"));
    player.play(target, 0);
    clock.advance(500);
    player.setPaused(true);
    player.play(target, 50);
    EXPECT_EQ(player.state(), PlayState::playing);
    auto took = playToEnd();
    EXPECT_NEAR(double(took), 1500.0, 250.0);
    // The paused track's pipeline is gone: nothing more ends later.
    clock.advance(5000);
    auto posts = target->posts();
    EXPECT_EQ(std::count(posts.begin(), posts.end(), 100), 1);
}

// A device that takes more than the ring holds leaves every block written and waiting to be
// heard; the output stage must then sleep, not spin (a spinning thread stalls the clock).
TEST_F(PlayerTest, DeviceLargerThanTheRingIsWaitedFor)
{
    PlayerServices services { clock,
        [this] { return std::make_unique<SilentOutput>(clock, 5000); } };
    TrackCommands bigDevice(services);
    bigDevice.playMusicFile(track("cbr_stereo_44k.mp3"), 0, target);
    EXPECT_NEAR(double(playToEnd()), 3000.0, 250.0);
}

// A device that takes all it is given while its clock stands still (a sound server whose
// stream clock stalled): the track must still be handed over whole, however much larger
// than the ring, and no progress may be posted beyond what the clock says was heard.
class StalledClockOutput : public AudioOutput {
public:
    // Outlives the output, which goes with the track.
    struct Record {
        std::atomic<std::uint64_t> written = 0;
        std::atomic<bool> drained = false;
    };
    explicit StalledClockOutput(std::shared_ptr<Record> record)
        : record_(std::move(record))
    {
    }
    bool open(const AudioFormat&) override { return true; }
    std::size_t write(std::span<const std::uint8_t> bytes) override
    {
        record_->written += bytes.size();
        return bytes.size();
    }
    void pause() override { }
    void resume() override { }
    void reset() override { }
    void drain() override { record_->drained = true; }
    OutputState state() override
    {
        std::uint64_t written = record_->written;
        std::uint64_t played = record_->drained ? written : 0;
        return { 1 << 20, written - played, 0, true, played };
    }

private:
    std::shared_ptr<Record> record_;
};

TEST_F(PlayerTest, StalledDeviceClockNeverStopsTheDecoder)
{
    auto record = std::make_shared<StalledClockOutput::Record>();
    TrackCommands stalled(
        { clock, [record] { return std::make_unique<StalledClockOutput>(record); } });
    stalled.playMusicFile(test::repeatedTrack(3), 0, target);
    for (int i = 0; i < 100 && !record->drained; ++i)
        clock.advance(10);
    ASSERT_TRUE(record->drained);
    EXPECT_EQ(record->written, std::uint64_t(3 * 116 * 1152 * 4));
    playToEnd();
    EXPECT_EQ(target->posts(), (std::vector<int> { 0, 99, 100 }));
}

TEST_F(PlayerTest, LongOptionTextPlaysNothing)
{
    commands.playMusicFile(track("cbr_stereo_44k.mp3"), 0, target, std::string(512, 'x'));
    EXPECT_EQ(commands.queryPlayState(), PlayState::stopped);
    commands.playMusicFile(track("short.mp3"), 0, target, std::string(511, 'x'));
    EXPECT_EQ(commands.queryPlayState(), PlayState::playing);
}

TEST_F(PlayerTest, VanishedTargetGetsNothingButTheTrackEnds)
{
    // Gone before the first post: the player threads run as soon as the command starts them.
    target->vanish();
    commands.playMusicFile(track("short.mp3"), 0, target);
    clock.advance(2000);
    EXPECT_TRUE(target->posts().empty());
    EXPECT_EQ(commands.queryPlayState(), PlayState::stopped);
}

// The end of a track leaves the player ready: played again, it reports a second end.
TEST_F(PlayerTest, PlaysAgainAfterTheEnd)
{
    Player player(silentServices(clock), track("short.mp3"));
    player.play(target, 0);
    playToEnd();
    clock.advance(1000);
    EXPECT_EQ(target->posts().back(), 100);
    target = std::make_shared<RecordingTarget>();
    player.play(target, 0);
    EXPECT_EQ(player.state(), PlayState::playing);
    playToEnd();
    expectProgressSequence(target->posts());
    EXPECT_EQ(player.state(), PlayState::stopped);
}

TEST_F(PlayerTest, CommandsWithoutAPlayerDoNothing)
{
    commands.pausePlaying();
    EXPECT_EQ(commands.queryPlayState(), PlayState::stopped);
    commands.stopPlaying();
    commands.playMusicFile(track("short.mp3"), 0, target);
    commands.stopPlaying();
    commands.pausePlaying();
    EXPECT_EQ(commands.queryPlayState(), PlayState::stopped);
    clock.advance(1000);
    EXPECT_FALSE(target->ended());
}

// Removal is measured in real time: the interface thread must not wait on the device.
TEST(PlayerRemoval, TakesUnder50MillisecondsInEveryState)
{
    platform::SystemClock clock;
    auto removalTime = [&](auto&& prepare) {
        auto player = std::make_unique<Player>(silentServices(clock), track("cbr_stereo_44k.mp3"));
        prepare(*player);
        auto start = std::chrono::steady_clock::now();
        player.reset();
        return std::chrono::steady_clock::now() - start;
    };
    using std::chrono::milliseconds;
    EXPECT_LT(removalTime([](Player&) {}), milliseconds(50));
    EXPECT_LT(removalTime([](Player& p) { p.play(nullptr, 0); }), milliseconds(50));
    EXPECT_LT(removalTime([&](Player& p) {
        p.play(nullptr, 0);
        clock.sleep(100);
    }),
        milliseconds(50));
    EXPECT_LT(removalTime([&](Player& p) {
        p.play(nullptr, 0);
        p.setPaused(true);
        clock.sleep(100);
    }),
        milliseconds(50));
}

} // namespace
} // namespace media
