// Figures for compare.sh, which puts them beside ffmpeg's meter on the same files.
//
//   loudness_bench analyse FILE    CPU seconds to measure FILE, seconds of audio per CPU second
//   loudness_bench gain FILE       CPU of the player's pipeline on FILE without and with a gain,
//                                  as a share of one core at real-time playback

#include "loudness/track_loudness.h"
#include "media/end_waiter.h"
#include "media/media_length.h"
#include "media/track_commands.h"
#include "platform/system_clock.h"

#include "bench/support/bench_timing.h"
#include "bench/support/unpaced_output.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using bench::cpuSeconds;

// CPU seconds of playing `path` through the player once at `gain`.
double playCpu(const std::string& path, float gain)
{
    platform::SystemClock clock;
    media::TrackCommands commands({ clock, [] { return std::make_unique<bench::UnpacedOutput>(); },
        platform::systemFileSystem(), [gain](const std::string&) { return gain; } });
    auto waiter = std::make_shared<media::EndWaiter>();
    const double before = cpuSeconds();
    commands.playMusicFile(path, 0, waiter);
    waiter->waitForEnd();
    commands.stopPlaying();
    return cpuSeconds() - before;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int analyse(const std::string& path, double audioSeconds)
{
    const std::atomic<bool> never { false };
    const double before = cpuSeconds();
    auto measured = loudness::measureTrack(path, never);
    const double cpu = cpuSeconds() - before;
    if (!std::holds_alternative<loudness::Loudness>(measured)) {
        std::fprintf(stderr, "loudness_bench: %s: not measured\n", path.c_str());
        return 1;
    }
    std::printf("analysis  %.3f s CPU  %.0f s of audio per CPU second  (%.1f LUFS)\n", cpu,
        audioSeconds / cpu, std::get<loudness::Loudness>(measured).integratedLufs);
    return 0;
}

int gain(const std::string& path, double audioSeconds)
{
    constexpr int runs = 5;
    std::vector<double> plain, gained;
    for (int run = 0; run < runs; ++run) {
        plain.push_back(playCpu(path, 1.0f));
        gained.push_back(playCpu(path, 0.5f));
    }
    const double off = median(plain), on = median(gained);
    // The share of one core the pipeline takes while the track plays in real time.
    std::printf("playback  gain off %.3f s CPU (%.3f %% of a core)  gain on %.3f s CPU "
                "(%.3f %% of a core)  difference %.4f %% of a core\n",
        off, 100 * off / audioSeconds, on, 100 * on / audioSeconds,
        100 * (on - off) / audioSeconds);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || (std::strcmp(argv[1], "analyse") != 0 && std::strcmp(argv[1], "gain") != 0)) {
        std::fprintf(stderr, "usage: loudness_bench analyse|gain FILE\n");
        return 2;
    }
    const std::string path = argv[2];
    auto millis = media::mediaLengthMillis(path);
    if (!millis || *millis <= 0) {
        std::fprintf(stderr, "loudness_bench: %s: not a track\n", path.c_str());
        return 1;
    }
    const double audioSeconds = double(*millis) / 1000;
    return std::strcmp(argv[1], "analyse") == 0 ? analyse(path, audioSeconds)
                                                : gain(path, audioSeconds);
}
