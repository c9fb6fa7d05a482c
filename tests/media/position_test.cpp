// The percent the player posts and the point a resume starts from, against what the test
// sink's monitor hears. The track is a tone whose amplitude grows linearly, so the level of
// each 10 ms block on the monitor tells the position heard.

#include "backends/pulse/pulse_output.h"
#include "media/track_commands.h"
#include "monitor_recorder.h"
#include "platform/system_clock.h"
#include "test_files.h"
#include "test_sink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>

namespace media {
namespace {

using test::MonitorRecorder;
using Steady = std::chrono::steady_clock;

constexpr double trackMillis = 6000;

class TimedTarget : public NotifyTarget {
public:
    bool exists() const override { return true; }
    void post(int percent) override
    {
        std::lock_guard lock(mutex_);
        posts_.push_back({ percent, Steady::now() });
    }
    struct Post {
        int percent;
        Steady::time_point at;
    };
    std::vector<Post> posts() const
    {
        std::lock_guard lock(mutex_);
        return posts_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Post> posts_;
};

class Position : public test::TestSinkTest {
protected:
    void SetUp() override
    {
        TestSinkTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(recorder.waitUntilRecording());
    }

    void takeRecording()
    {
        recorder.stop();
        peaks = recorder.peaks();
        arrivals = recorder.arrivals();
    }

    // The level grows in proportion to the position, so its growth per millisecond of wall
    // time between `from` and `to` (both inside steady playing) turns a level into a position.
    void calibrate(Steady::time_point from, Steady::time_point to)
    {
        double n = 0, st = 0, sl = 0, stt = 0, stl = 0;
        for (std::size_t i = 0; i < peaks.size(); ++i) {
            if (arrivals[i] < from || arrivals[i] > to)
                continue;
            double t = std::chrono::duration<double, std::milli>(arrivals[i] - from).count();
            n += 1;
            st += t;
            sl += peaks[i];
            stt += t * t;
            stl += t * peaks[i];
        }
        ASSERT_GT(n, 50);
        levelPerMilli = (n * stl - st * sl) / (n * stt - st * st);
        ASSERT_GT(levelPerMilli, 1);
    }

    // The position heard at the end of a block of the given peak level.
    double heardAt(int peak) const { return peak / levelPerMilli; }

    // The position heard at `when`: the level of the last block that had arrived by then.
    double heardPosition(Steady::time_point when) const
    {
        auto at = std::upper_bound(arrivals.begin(), arrivals.end(), when) - arrivals.begin();
        return at == 0 ? 0 : heardAt(peaks[at - 1]);
    }

    MonitorRecorder recorder;
    std::vector<int> peaks;
    std::vector<Steady::time_point> arrivals;
    double levelPerMilli = 0;
};

TEST_F(Position, PostedPercentIsWhatIsHeard)
{
    TrackCommands commands({ clock, makeOutput });
    auto target = std::make_shared<TimedTarget>();
    auto start = Steady::now();
    commands.playMusicFile(test::track("ramp_6s.mp3"), 0, target);
    clock.sleep(6500);
    takeRecording();
    calibrate(start + std::chrono::seconds(1), start + std::chrono::milliseconds(5500));
    auto posts = target->posts();
    ASSERT_GE(posts.size(), 90u);
    double worst = 0;
    for (const auto& post : posts) {
        // Too quiet to measure at the start, and the tone fades out at the end.
        if (post.percent < 5 || post.percent > 95)
            continue;
        double error = heardPosition(post.at) - post.percent * trackMillis / 100;
        worst = std::max(worst, std::abs(error));
        EXPECT_NEAR(error, 0, 50) << "at " << post.percent << "%";
    }
    std::printf("largest gap between the percent posted and the monitor: %.0f ms\n", worst);
}

TEST_F(Position, ResumeStartsWhereTheSoundStopped)
{
    TrackCommands commands({ clock, makeOutput });
    auto target = std::make_shared<TimedTarget>();
    auto start = Steady::now();
    commands.playMusicFile(test::track("ramp_6s.mp3"), 0, target);
    clock.sleep(3000);
    commands.pausePlaying();
    auto pausedAt = Steady::now();
    clock.sleep(1000);
    // As the application resumes: the same file again from the last percent posted.
    int held = target->posts().back().percent;
    auto resumedAt = Steady::now();
    commands.playMusicFile(test::track("ramp_6s.mp3"), held, target);
    clock.sleep(1000);
    takeRecording();
    calibrate(start + std::chrono::milliseconds(500), pausedAt - std::chrono::milliseconds(200));

    // The last loud block before the pause's silence, and the first after the resume.
    auto pauseBlock
        = std::upper_bound(arrivals.begin(), arrivals.end(), pausedAt) - arrivals.begin();
    auto stopped = std::min<std::ptrdiff_t>(pauseBlock, std::ptrdiff_t(peaks.size()) - 1);
    // The pause may already be heard in the block that arrives as it is asked for.
    while (stopped > 0 && peaks[stopped] <= 500)
        --stopped;
    while (stopped + 1 < std::ptrdiff_t(peaks.size()) && peaks[stopped + 1] > 500)
        ++stopped;
    auto resumeBlock
        = std::upper_bound(arrivals.begin(), arrivals.end(), resumedAt) - arrivals.begin();
    auto restarted = resumeBlock;
    while (restarted < std::ptrdiff_t(peaks.size()) && peaks[restarted] <= 500)
        ++restarted;
    ASSERT_LT(restarted + 5, std::ptrdiff_t(peaks.size()));
    double stopPosition = heardAt(peaks[stopped]);
    // The first frame decoded after a jump may lack its reservoir bytes; a few blocks on, the
    // level is whole again.
    double resumePosition = heardAt(peaks[restarted + 5]) - 5 * MonitorRecorder::blockMillis;
    std::printf("sound stopped at %.0f ms, resumed at %.0f ms (held %d%%)\n", stopPosition,
        resumePosition, held);
    EXPECT_NEAR(resumePosition, stopPosition, 100);
}

// The application starts the next track on the report of a track's end. The report may come
// up to the device's hand-over time before the last sample is heard, so the next track follows
// without a gap, but the tail must still sound in full. Two ramps in a row, the second played
// when the first reports its end: the first must be heard up to its loudest, last block before
// the second begins.
TEST_F(Position, TailIsHeardInFullBeforeTheNextTrackStarts)
{
    TrackCommands commands({ clock, makeOutput });
    auto target = std::make_shared<TimedTarget>();
    auto ended = [&] {
        auto posts = target->posts();
        return !posts.empty() && posts.back().percent == 100;
    };
    commands.playMusicFile(test::track("ramp_6s.mp3"), 0, target);
    for (int waited = 0; !ended() && waited < 8000; ++waited)
        clock.sleep(1);
    commands.playMusicFile(test::track("ramp_6s.mp3"), 0, target);
    clock.sleep(1500);
    commands.stopPlaying();
    takeRecording();

    auto loud = [](int p) { return p > 500; };
    auto first = std::find_if(peaks.begin(), peaks.end(), loud) - peaks.begin();
    ASSERT_LT(first, std::ptrdiff_t(peaks.size()));
    calibrate(arrivals[first] + std::chrono::seconds(1), arrivals[first] + std::chrono::seconds(5));
    // Where the second ramp takes over: the level falls to a fraction of what it was.
    auto drop = first + 1;
    while (drop < std::ptrdiff_t(peaks.size()) && peaks[drop] > peaks[drop - 1] / 3)
        ++drop;
    ASSERT_LT(drop, std::ptrdiff_t(peaks.size()));
    double lastHeard = heardAt(peaks[drop - 1]);
    auto posts = target->posts();
    auto end = std::find_if(posts.begin(), posts.end(), [](auto& p) { return p.percent == 100; });
    ASSERT_NE(end, posts.end());
    double reportAfterTail
        = std::chrono::duration<double, std::milli>(end->at - arrivals[drop - 1]).count();
    std::printf("first track heard to %.0f ms of %.0f; end reported %.0f ms after its last block "
                "reached the monitor\n",
        lastHeard, trackMillis, reportAfterTail);
    EXPECT_GT(lastHeard, trackMillis - 60);
    // The recorder's own scheduling blurs its arrival times by some 50 ms.
    const platform::Millis handOver = makeOutput()->handOverTime();
    EXPECT_GT(reportAfterTail, -50.0 - double(handOver));
}

} // namespace
} // namespace media
