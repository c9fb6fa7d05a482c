// Timings of the length measurement and of playing on the sound server, printed for
// compare.sh, which puts them beside mpg123 on the same files.
//
//   media_bench PLAY_FILE LENGTH_FILE [PLAY_SECONDS]

#include "backends/pulse/pulse_output.h"
#include "media/media_length.h"
#include "media/track_commands.h"
#include "platform/system_clock.h"

#include "bench/support/bench_timing.h"

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using bench::cpuSeconds;
using bench::millisSince;
using bench::Steady;

// Marks the first write to a real device.
class TimedOutput : public media::AudioOutput {
public:
    TimedOutput(std::unique_ptr<media::AudioOutput> device, Steady::time_point* firstWrite)
        : device_(std::move(device))
        , firstWrite_(firstWrite)
    {
    }
    bool open(const media::AudioFormat& format) override { return device_->open(format); }
    std::size_t write(std::span<const std::uint8_t> bytes) override
    {
        if (!wrote_.exchange(true))
            *firstWrite_ = Steady::now();
        return device_->write(bytes);
    }
    void pause() override { device_->pause(); }
    void resume() override { device_->resume(); }
    void reset() override { device_->reset(); }
    void drain() override { device_->drain(); }
    media::OutputState state() override { return device_->state(); }

private:
    std::unique_ptr<media::AudioOutput> device_;
    Steady::time_point* firstWrite_;
    std::atomic<bool> wrote_ = false;
};

void playToSink(platform::Clock& clock, const char* file, int seconds)
{
    media::OutputFactory pulse = platform::pulse::pulseOutputFactory();
    if (!pulse) {
        std::printf("no sound server: skipping the real-time figures\n");
        return;
    }
    Steady::time_point firstWrite;
    media::TrackCommands commands(
        { clock, [&] { return std::make_unique<TimedOutput>(pulse(), &firstWrite); } });
    auto start = Steady::now();
    commands.playMusicFile(file);
    while (firstWrite == Steady::time_point())
        clock.sleep(1);
    std::printf("play command to first sample:         %8.1f ms\n",
        std::chrono::duration<double, std::milli>(firstWrite - start).count());
    clock.sleep(1000); // past the start-up
    double cpuBefore = cpuSeconds();
    clock.sleep(seconds * 1000);
    double cpu = cpuSeconds() - cpuBefore;
    std::printf("CPU per minute of playback:           %8.2f %% of one core (%.2f s in %d s)\n",
        100.0 * cpu / seconds, cpu, seconds);
}

void measureLength(const char* file)
{
    std::vector<double> times;
    long long millis = 0;
    for (int i = 0; i < 11; ++i) {
        auto start = Steady::now();
        millis = media::mediaLengthMillis(file).value_or(0);
        times.push_back(millisSince(start));
    }
    std::sort(times.begin(), times.end());
    std::printf("track length (median of 11):          %8.1f ms (%lld ms)\n", times[5], millis);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: media_bench PLAY_FILE LENGTH_FILE [PLAY_SECONDS]\n");
        return 2;
    }
    platform::SystemClock clock;
    measureLength(argv[2]);
    playToSink(clock, argv[1], argc > 3 ? std::atoi(argv[3]) : 20);
    return 0;
}
