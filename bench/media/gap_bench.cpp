// The silence between two tracks played in a row, measured on the test sink's monitor sample
// by sample: ours, moving on the way the application does (the end of the first track is
// reported, then the next play command names the second), beside `mpg123 -o pulse A B` on the
// same sink. The application's fade-in is not part of this: the media layer alone is measured.
// Both files must sound up to their last sample.
//
//   media_gap_bench FIRST SECOND [RUNS]

#include "backends/pulse/pulse_output.h"
#include "media/end_waiter.h"
#include "media/track_commands.h"
#include "monitor_recorder.h"
#include "platform/system_clock.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Louder than the encoder's noise in the padding, quieter than any sample of a tone at -6 dB
// away from its zero crossings.
constexpr int quiet = 300;

using media::test::MonitorRecorder;

// The longest quiet stretch of the left channel between its first and its last sound, in
// milliseconds; -1 when there was no sound.
double gapMillis(MonitorRecorder& recorder)
{
    recorder.stop();
    const auto samples = recorder.samples();
    std::vector<std::int16_t> left;
    for (std::size_t i = 0; i < samples.size(); i += MonitorRecorder::channels)
        left.push_back(samples[i]);
    auto loud = [](std::int16_t s) { return std::abs(int(s)) > quiet; };
    auto first = std::find_if(left.begin(), left.end(), loud);
    if (first == left.end())
        return -1;
    auto last = std::find_if(left.rbegin(), left.rend(), loud).base();
    std::size_t longest = 0;
    std::size_t run = 0;
    for (auto at = first; at != last; ++at) {
        run = loud(*at) ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest * 1000.0 / MonitorRecorder::rate;
}

double oursOnce(platform::Clock& clock, const media::OutputFactory& pulse, const char* first,
    const char* second)
{
    MonitorRecorder recorder(MonitorRecorder::Keep::samples);
    clock.sleep(200);
    media::TrackCommands commands({ clock, pulse });
    auto firstEnd = std::make_shared<media::EndWaiter>();
    commands.playMusicFile(first, 0, firstEnd);
    commands.prepareNext(second);
    firstEnd->waitForEnd();
    auto secondEnd = std::make_shared<media::EndWaiter>();
    commands.playMusicFile(second, 0, secondEnd);
    secondEnd->waitForEnd();
    clock.sleep(300);
    return gapMillis(recorder);
}

double mpg123Once(platform::Clock& clock, const char* first, const char* second)
{
    MonitorRecorder recorder(MonitorRecorder::Keep::samples);
    clock.sleep(200);
    pid_t child = fork();
    if (child == 0) {
        execlp("mpg123", "mpg123", "-q", "-o", "pulse", first, second, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    clock.sleep(300);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return gapMillis(recorder);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: media_gap_bench FIRST SECOND [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    platform::SystemClock clock;
    media::OutputFactory pulse = platform::pulse::pulseOutputFactory();
    if (!pulse || !MonitorRecorder().recording()) {
        std::fprintf(stderr, "media_gap_bench: needs the test sink (scripts/with-test-env)\n");
        return 1;
    }
    std::vector<double> ours;
    std::vector<double> reference;
    for (int i = 0; i < runs; ++i) {
        ours.push_back(oursOnce(clock, pulse, argv[1], argv[2]));
        reference.push_back(mpg123Once(clock, argv[1], argv[2]));
        std::printf(
            "run %d: gap ours %6.2f ms  mpg123 %6.2f ms\n", i + 1, ours.back(), reference.back());
    }
    std::printf("gap between tracks (median of %d): ours %6.2f ms  mpg123 -o pulse %6.2f ms\n",
        runs, median(ours), median(reference));
    return 0;
}
