// How the pipeline treats its device: the start fills it from the starting thread, the output
// stage leaves it alone between refills and percent steps, and a device that fails ends the
// track at once. In virtual time on the silent device.

#include "backends/headless/headless_clock.h"
#include "media/silent_output.h"
#include "media/track_commands.h"
#include "recording_target.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace media {
namespace {

// A silent device of one second that notes how it is used, and can be made to fail as a
// sound server's stream does when the server goes away.
class ObservedOutput : public AudioOutput {
public:
    // Outlives the output, which goes with the track.
    struct Record {
        std::atomic<int> wakeUps = 0; // moments of the clock at which the device was looked at
        std::atomic<platform::Millis> lastLook = -1;
        std::atomic<std::size_t> firstWrite = 0;
        std::atomic<std::thread::id> firstWriter;
        std::atomic<std::uint64_t> written = 0;
        std::atomic<bool> failed = false;
    };
    ObservedOutput(platform::Clock& clock, std::shared_ptr<Record> record)
        : clock_(clock)
        , device_(clock, 1000)
        , record_(std::move(record))
    {
    }
    bool open(const AudioFormat& format) override { return device_.open(format); }
    std::size_t write(std::span<const std::uint8_t> bytes) override
    {
        std::size_t n = record_->failed ? bytes.size() : device_.write(bytes);
        if (record_->written == 0) {
            record_->firstWrite = n;
            record_->firstWriter = std::this_thread::get_id();
        }
        record_->written += n;
        return n;
    }
    void pause() override { device_.pause(); }
    void resume() override { device_.resume(); }
    void reset() override { device_.reset(); }
    void drain() override { device_.drain(); }
    OutputState state() override
    {
        if (record_->lastLook.exchange(clock_.now()) != clock_.now())
            ++record_->wakeUps;
        OutputState state = device_.state();
        state.failed = record_->failed;
        return state;
    }

private:
    platform::Clock& clock_;
    SilentOutput device_;
    std::shared_ptr<Record> record_;
};

class OutputStage : public testing::Test {
protected:
    ~OutputStage() override
    {
        commands.stopPlaying();
        clock.stopAllThreads();
    }

    platform::headless::HeadlessClock clock;
    std::shared_ptr<ObservedOutput::Record> record = std::make_shared<ObservedOutput::Record>();
    TrackCommands commands { { clock,
        [this] { return std::make_unique<ObservedOutput>(clock, record); } } };
    std::shared_ptr<test::RecordingTarget> target = std::make_shared<test::RecordingTarget>();
};

TEST_F(OutputStage, StartFillsTheDeviceInOneWriteFromTheStartingThread)
{
    commands.playMusicFile(test::repeatedTrack(10), 0, target);
    // A second of 44.1 kHz stereo, whole frames of the track (1152 samples, the first one
    // shortened by the encoder delay) as far as they fit.
    EXPECT_GT(record->firstWrite, std::size_t(44100 * 4 - 1152 * 4));
    EXPECT_LE(record->firstWrite, std::size_t(44100 * 4));
    EXPECT_EQ(record->firstWriter, std::this_thread::get_id());
    // A start from a percent leaves the seek to the reader stage, off this thread.
    record = std::make_shared<ObservedOutput::Record>();
    commands.playMusicFile(test::repeatedTrack(10), 50, target);
    clock.advance(100);
    EXPECT_NE(record->firstWriter, std::this_thread::get_id());
}

TEST_F(OutputStage, WakesAFewTimesASecondWhilePlayingAndPaused)
{
    commands.playMusicFile(test::repeatedTrack(10), 0, target);
    clock.advance(2000);
    int before = record->wakeUps;
    clock.advance(10'000);
    int playing = record->wakeUps - before;
    commands.pausePlaying();
    clock.advance(100);
    before = record->wakeUps;
    clock.advance(10'000);
    int paused = record->wakeUps - before;
    std::printf("output stage woke %d times in 10 s of playing, %d times in 10 s of pause\n",
        playing, paused);
    // A percent is 300 ms of this track and a quarter of the device's second is 250 ms.
    EXPECT_LE(playing, 100);
    EXPECT_LE(paused, 50);
    // Every percent is still posted, none skipped.
    auto posts = target->posts();
    ASSERT_FALSE(posts.empty());
    for (std::size_t i = 1; i < posts.size(); ++i)
        EXPECT_EQ(posts[i], posts[i - 1] + 1);
}

TEST_F(OutputStage, FailedDeviceEndsTheTrackAtOnce)
{
    commands.playMusicFile(test::repeatedTrack(10), 0, target);
    clock.advance(3000);
    record->failed = true;
    std::uint64_t writtenWhenFailed = record->written;
    clock.advance(300);
    ASSERT_TRUE(target->ended());
    EXPECT_EQ(commands.queryPlayState(), PlayState::stopped);
    // Not run through the rest of the file (30 s) into a device that plays nothing.
    EXPECT_LT(record->written - writtenWhenFailed, std::uint64_t(4 * 44100 * 4));
    auto posts = target->posts();
    ASSERT_GE(posts.size(), 2u);
    EXPECT_LE(posts[posts.size() - 2], 10);
}

} // namespace
} // namespace media
