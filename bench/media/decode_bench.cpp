// The pipeline's decoding cost, printed for compare.sh, which puts it beside `mpg123 -t` on
// the same file. Links nothing but the pipeline, so the process's CPU is the pipeline's.
//
//   media_decode_bench FILE

#include "media/end_waiter.h"
#include "media/track_commands.h"
#include "platform/system_clock.h"

#include "bench_timing.h"

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using bench::cpuSeconds;
using bench::millisSince;
using bench::Steady;

// A device that hears everything the moment it is written, so decoding runs flat out;
// it notes when the first sample arrived.
class UnpacedOutput : public media::AudioOutput {
public:
    bool open(const media::AudioFormat&) override { return true; }
    std::size_t write(std::span<const std::uint8_t> bytes) override
    {
        if (written_ == 0)
            firstWrite = Steady::now();
        written_ += bytes.size();
        return bytes.size();
    }
    void pause() override { }
    void resume() override { }
    void reset() override { }
    void drain() override { }
    media::OutputState state() override { return { 1 << 20, 0, 0, false, written_ }; }

    Steady::time_point firstWrite;

private:
    std::atomic<std::uint64_t> written_ = 0;
};

void decodeUnpaced(platform::Clock& clock, const char* file)
{
    UnpacedOutput* output = nullptr;
    media::TrackCommands commands({ clock, [&] {
                                       auto o = std::make_unique<UnpacedOutput>();
                                       output = o.get();
                                       return o;
                                   } });
    auto target = std::make_shared<media::EndWaiter>();
    auto start = Steady::now();
    commands.playMusicFile(file, 0, target);
    if (commands.queryPlayState() != media::PlayState::playing) {
        std::fprintf(stderr, "media_bench: %s cannot be played\n", file);
        std::exit(1);
    }
    target->waitForEnd();
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("decode through the pipeline, unpaced: %8.1f ms, CPU %.3f s, %ld thread switches\n",
        millisSince(start), cpuSeconds(), usage.ru_nvcsw + usage.ru_nivcsw);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: media_decode_bench FILE\n");
        return 2;
    }
    platform::SystemClock clock;
    decodeUnpaced(clock, argv[1]);
    return 0;
}
