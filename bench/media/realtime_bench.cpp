// Real-time figures of a sound player, measured from outside on the test sink's monitor: the
// time from starting the player to the first audible block, the drop-outs (100 ms or more of
// silence inside the sound) and the player's CPU time per minute of playback. compare.sh runs
// it on our trackplay and on mpg123 in turn, with and without a busy loop on every core.
//
//   media_realtime_bench SECONDS [--load] -- COMMAND [ARGS...]

#include "../../tests/support/cpu_hog.h"
#include "monitor_recorder.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <libgen.h>
#include <thread>

namespace {

using Steady = std::chrono::steady_clock;
using media::test::MonitorRecorder;
using test_support::CpuHog;

constexpr int audible = 500;

int dropOuts(const std::vector<int>& peaks)
{
    auto first = std::find_if(peaks.begin(), peaks.end(), [](int p) { return p > audible; });
    int count = 0;
    int run = 0;
    for (auto at = first; at != peaks.end(); ++at) {
        if (*at > audible) {
            count += run * MonitorRecorder::blockMillis >= 100;
            run = 0;
        } else {
            ++run;
        }
    }
    return count;
}

} // namespace

int main(int argc, char** argv)
{
    int separator = 0;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--") == 0)
            separator = i;
    if (separator < 2 || separator + 1 >= argc) {
        std::fprintf(stderr, "usage: media_realtime_bench SECONDS [--load] -- COMMAND [ARGS...]\n");
        return 2;
    }
    const int seconds = std::atoi(argv[1]);
    const bool load = separator > 2 && std::strcmp(argv[2], "--load") == 0;

    MonitorRecorder recorder;
    if (!recorder.waitUntilRecording()) {
        std::fprintf(stderr, "media_realtime_bench: cannot record the test sink's monitor\n");
        return 1;
    }
    CpuHog hog(load);
    auto start = Steady::now();
    pid_t child = fork();
    if (child == 0) {
        freopen("/dev/null", "w", stdout);
        execvp(argv[separator + 1], argv + separator + 1);
        _exit(127);
    }
    int status = 0;
    rusage usage {};
    bool exited = false;
    while (Steady::now() - start < std::chrono::seconds(seconds)) {
        if (wait4(child, &status, WNOHANG, &usage) == child) {
            exited = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    double played = std::chrono::duration<double>(Steady::now() - start).count();
    if (!exited) {
        kill(child, SIGTERM);
        wait4(child, &status, 0, &usage);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    recorder.stop();

    auto peaks = recorder.peaks();
    auto arrivals = recorder.arrivals();
    auto first = std::find_if(peaks.begin(), peaks.end(), [](int p) { return p > audible; });
    double firstAudible = first == peaks.end()
        ? -1
        : std::chrono::duration<double, std::milli>(arrivals[first - peaks.begin()] - start)
              .count();
    auto cpu = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    double cpuSeconds = cpu(usage.ru_utime) + cpu(usage.ru_stime);
    int drops = dropOuts(peaks);
    std::printf("%-10s %s  first audible %6.0f ms  CPU %5.2f %% of a core  drop-outs %d in %.0f s "
                "(%.0f per hour)\n",
        basename(argv[separator + 1]), load ? "loaded" : "idle  ", firstAudible,
        100 * cpuSeconds / played, drops, played, drops * 3600 / played);
    return 0;
}
