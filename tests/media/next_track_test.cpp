// One device kept from track to track, and the next track opened ahead: what reaches the
// device and what is reported must be what a fresh start would give, whatever happens to the
// prepared file. In virtual time on silent devices.

#include "backends/headless/headless_clock.h"
#include "media/silent_output.h"
#include "media/track_commands.h"
#include "test_files.h"
#include "virtual_time_player.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <atomic>
#include <cstdio>
#include <filesystem>

namespace media {
namespace {

using test::RecordingTarget;
using test::track;

// A silent device that counts what it was given, can be failed, and says whether it was
// left paused.
class CountingOutput : public AudioOutput {
public:
    struct Record {
        std::atomic<int> opened = 0;
        std::atomic<std::uint64_t> written = 0;
        std::atomic<bool> failed = false;
        std::atomic<bool> paused = false;
    };
    CountingOutput(platform::Clock& clock, std::shared_ptr<Record> record)
        : device_(clock)
        , record_(std::move(record))
    {
    }
    bool open(const AudioFormat& format) override
    {
        ++record_->opened;
        return device_.open(format);
    }
    std::size_t write(std::span<const std::uint8_t> bytes) override
    {
        std::size_t n = record_->failed ? bytes.size() : device_.write(bytes);
        record_->written += n;
        return n;
    }
    void pause() override
    {
        record_->paused = true;
        device_.pause();
    }
    void resume() override
    {
        record_->paused = false;
        device_.resume();
    }
    void reset() override { device_.reset(); }
    void drain() override { device_.drain(); }
    OutputState state() override
    {
        OutputState state = device_.state();
        state.failed = record_->failed;
        return state;
    }

private:
    SilentOutput device_;
    std::shared_ptr<Record> record_;
};

int openFiles()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

class NextTrack : public test::VirtualTimePlayer {
protected:
    NextTrack()
        : NextTrack(std::make_shared<CountingOutput::Record>())
    {
    }
    // The devices share the record, so it outlives this test while the player winds down.
    explicit NextTrack(std::shared_ptr<CountingOutput::Record> shared)
        : VirtualTimePlayer(
            [this, shared] { return std::make_unique<CountingOutput>(clock, shared); })
        , record(std::move(shared))
    {
    }

    void playAndExpectEndIn(const std::string& file, double millis)
    {
        target = std::make_shared<RecordingTarget>();
        commands.playMusicFile(file, 0, target);
        ASSERT_EQ(commands.queryPlayState(), PlayState::playing) << file;
        EXPECT_NEAR(double(playToEnd()), millis, 250.0) << file;
        auto posts = target->posts();
        ASSERT_FALSE(posts.empty());
        EXPECT_EQ(posts.front(), 0) << "counted from the device's earlier tracks";
        EXPECT_EQ(std::count(posts.begin(), posts.end(), 100), 1);
    }

    const std::shared_ptr<CountingOutput::Record> record;
};

TEST_F(NextTrack, PreparedTrackIsHandedOverWholeOnTheKeptDevice)
{
    const std::string first = test::repeatedTrack(1);
    const std::string second = test::repeatedTrack(2);
    commands.playMusicFile(first, 0, target);
    commands.prepareNext(second);
    playToEnd();
    std::uint64_t firstBytes = record->written;
    EXPECT_EQ(firstBytes, std::uint64_t(116 * 1152 * 4));
    playAndExpectEndIn(second, test::repeatedTrackMillis(2));
    // Neither the decoded start twice nor any of it lost.
    EXPECT_EQ(record->written - firstBytes, std::uint64_t(2 * 116 * 1152 * 4));
    EXPECT_EQ(record->opened, 1);
}

TEST_F(NextTrack, AnotherFileThanThePreparedOneIsPlayed)
{
    commands.playMusicFile(track("short.mp3"), 0, target);
    commands.prepareNext(track("short.mp3"));
    playToEnd();
    playAndExpectEndIn(track("cbr_stereo_44k.mp3"), 3000);
    // A start from a percent does not begin with the prepared start either.
    commands.prepareNext(track("cbr_stereo_44k.mp3"));
    target = std::make_shared<RecordingTarget>();
    commands.playMusicFile(track("cbr_stereo_44k.mp3"), 50, target);
    EXPECT_NEAR(double(playToEnd()), 1500.0, 250.0);
    EXPECT_GE(target->posts().front(), 50);
}

TEST_F(NextTrack, RemovedOrReplacedPreparedFileIsNotPlayed)
{
    const std::string path = test::scratchFile("prepared.mp3", test::readFile(track("short.mp3")));
    commands.prepareNext(path);
    std::filesystem::remove(path);
    commands.playMusicFile(path, 0, target);
    EXPECT_EQ(commands.queryPlayState(), PlayState::stopped);
    clock.advance(2000);
    EXPECT_TRUE(target->posts().empty());

    // Replaced under the same name: the new file's sound, not the prepared one's.
    test::scratchFile("prepared.mp3", test::readFile(track("short.mp3")));
    commands.prepareNext(path);
    const std::string longer = test::repeatedTrack(2);
    std::filesystem::rename(longer, path);
    playAndExpectEndIn(path, test::repeatedTrackMillis(2));
}

TEST_F(NextTrack, StopForgetsThePreparedFile)
{
    const int before = openFiles();
    commands.playMusicFile(track("short.mp3"), 0, target);
    commands.prepareNext(track("cbr_stereo_44k.mp3"));
    commands.stopPlaying();
    EXPECT_EQ(openFiles(), before);
    playAndExpectEndIn(track("cbr_stereo_44k.mp3"), 3000);
}

TEST_F(NextTrack, NewDeviceOnlyForANewFormatOrAFailedOne)
{
    playAndExpectEndIn(track("cbr_stereo_44k.mp3"), 3000);
    playAndExpectEndIn(track("vbr_xing.mp3"), 3000);
    EXPECT_EQ(record->opened, 1);
    commands.prepareNext(track("mpeg2_22k.mp3"));
    playAndExpectEndIn(track("mpeg2_22k.mp3"), 3000);
    EXPECT_EQ(record->opened, 2);

    // The device fails in the middle of a track: that track ends, the next gets a new one.
    commands.playMusicFile(test::repeatedTrack(10), 0, target);
    clock.advance(1000);
    record->failed = true;
    clock.advance(300);
    EXPECT_EQ(commands.queryPlayState(), PlayState::stopped);
    record->failed = false;
    int opened = record->opened;
    playAndExpectEndIn(track("mpeg2_22k.mp3"), 3000);
    EXPECT_EQ(record->opened, opened + 1);
}

TEST_F(NextTrack, DeviceRestsPausedBetweenTracksAndPlaysForTheNext)
{
    commands.playMusicFile(track("cbr_stereo_44k.mp3"), 0, target);
    clock.advance(500);
    commands.pausePlaying();
    ASSERT_TRUE(record->paused);
    playAndExpectEndIn(track("cbr_stereo_44k.mp3"), 3000);
    clock.advance(100);
    EXPECT_TRUE(record->paused) << "left playing silence after the end";

    commands.playMusicFile(track("cbr_stereo_44k.mp3"), 0, target);
    EXPECT_FALSE(record->paused);
    clock.advance(500);
    commands.stopPlaying();
    EXPECT_TRUE(record->paused);
    playAndExpectEndIn(track("vbr_xing.mp3"), 3000);
}

} // namespace
} // namespace media
