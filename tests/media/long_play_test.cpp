// Plays 30-second tracks back to back on the test sink, the second half of them while every
// core is kept busy, one in four paused for a few seconds and resumed as the hall resumes (the
// same file again from the percent last posted), and listens on the sink's monitor: each track
// must end within a second of its length (plus its pause) and no 100 ms of silence may fall
// inside the sound, the pause apart. SOUND_SOAK_TRACKS sets the number of tracks
// (scripts/soak-sound runs 200).

#include "../support/cpu_hog.h"
#include "backends/pulse/pulse_output.h"
#include "media/track_commands.h"
#include "monitor_recorder.h"
#include "platform/system_clock.h"
#include "recording_target.h"
#include "test_files.h"
#include "test_sink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace media {
namespace {

using test::MonitorRecorder;
using Steady = std::chrono::steady_clock;
using test_support::CpuHog;

const double trackMillis = test::repeatedTrackMillis(10);
constexpr auto pauseAfter = std::chrono::seconds(10);
constexpr auto pauseFor = std::chrono::seconds(3);

using Peaks = std::vector<int>;
using Arrivals = std::vector<Steady::time_point>;

// The longest silence inside the sound that arrived in [from, to), from 300 ms after the first
// loud block on, so a start's fade-in from nothing is not taken for a drop-out.
int longestSilence(
    const Peaks& peaks, const Arrivals& arrivals, Steady::time_point from, Steady::time_point to)
{
    auto begin = std::lower_bound(arrivals.begin(), arrivals.end(), from) - arrivals.begin();
    auto end = std::lower_bound(arrivals.begin(), arrivals.end(), to) - arrivals.begin();
    auto first
        = std::find_if(peaks.begin() + begin, peaks.begin() + end, [](int p) { return p > 500; });
    Peaks sound(
        first + std::min<std::ptrdiff_t>(30, peaks.begin() + end - first), peaks.begin() + end);
    return MonitorRecorder::longestSilenceMillis(sound);
}

int trackCount()
{
    const char* count = std::getenv("SOUND_SOAK_TRACKS");
    return count ? std::max(1, std::atoi(count)) : 8;
}

TEST(LongPlay, TracksEndOnTimeWithoutDropOutsUnderLoadAndAcrossPauses)
{
    SKIP_WITHOUT_TEST_SINK();
    platform::SystemClock clock;
    auto makeOutput = platform::pulse::pulseOutputFactory();
    ASSERT_TRUE(makeOutput);
    const std::string file = test::repeatedTrack(10);
    const int tracks = trackCount();
    int late = 0;
    int dropOuts = 0;
    for (int i = 0; i < tracks; ++i) {
        std::unique_ptr<CpuHog> hog;
        if (i >= tracks / 2)
            hog = std::make_unique<CpuHog>();
        MonitorRecorder recorder;
        ASSERT_TRUE(recorder.waitUntilRecording());
        TrackCommands commands({ clock, makeOutput });
        auto target = std::make_shared<test::RecordingTarget>();
        auto start = Steady::now();
        commands.playMusicFile(file, 0, target);
        const bool pausing = i % 4 == 1;
        auto pausedAt = Steady::time_point::max();
        auto resumedAt = pausedAt;
        while (!target->ended() && Steady::now() - start < std::chrono::seconds(60)) {
            if (pausing && pausedAt == Steady::time_point::max()
                && Steady::now() - start >= pauseAfter) {
                commands.pausePlaying();
                pausedAt = Steady::now();
                clock.sleep(std::chrono::milliseconds(pauseFor).count());
                resumedAt = Steady::now();
                commands.playMusicFile(file, target->posts().back(), target);
            }
            clock.sleep(10);
        }
        double took = std::chrono::duration<double, std::milli>(Steady::now() - start).count();
        double expected = trackMillis
            + (pausing ? std::chrono::duration<double, std::milli>(resumedAt - pausedAt).count()
                       : 0);
        clock.sleep(500); // the monitor lags the sink
        recorder.stop();
        auto peaks = recorder.peaks();
        auto arrivals = recorder.arrivals();
        int silence = std::max(longestSilence(peaks, arrivals, start, pausedAt),
            pausing ? longestSilence(peaks, arrivals, resumedAt, Steady::time_point::max()) : 0);
        std::printf("track %d%s%s: ended after %.0f ms (expected %.0f), longest silence %d ms\n",
            i + 1, hog ? " under load" : "", pausing ? " paused" : "", took, expected, silence);
        std::fflush(stdout);
        late += std::abs(took - expected) > 1000;
        dropOuts += silence >= 100;
        EXPECT_NEAR(took, expected, 1000) << "track " << i + 1;
        EXPECT_LT(silence, 100) << "track " << i + 1;
    }
    std::printf("%d tracks: %d off their length by more than 1 s, %d with a drop-out\n", tracks,
        late, dropOuts);
}

} // namespace
} // namespace media
