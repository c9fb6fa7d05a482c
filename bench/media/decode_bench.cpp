// The pipeline's decoding cost, printed for compare.sh, which puts it beside `mpg123 -t` on
// the same file. Links nothing but the pipeline, so the process's CPU is the pipeline's.
//
//   media_decode_bench FILE

#include "media/end_waiter.h"
#include "media/track_commands.h"
#include "platform/system_clock.h"

#include "bench/support/bench_timing.h"
#include "bench/support/unpaced_output.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using bench::cpuSeconds;
using bench::millisSince;
using bench::Steady;

void decodeUnpaced(platform::Clock& clock, const char* file)
{
    media::TrackCommands commands(
        { clock, [] { return std::make_unique<bench::UnpacedOutput>(); } });
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
