// trackplay: plays an MPEG audio file through the program's own track player and prints
// the progress the player reports, or with --info the figures its reader finds.
//
//   trackplay [--info] [--from PERCENT] FILE

#include "backends/pulse/pulse_output.h"
#include "media/end_waiter.h"
#include "media/silent_output.h"
#include "media/track_commands.h"
#include "media/track_file.h"
#include "platform/path.h"
#include "platform/system_clock.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: trackplay [--info] [--from PERCENT] FILE\n");
    return 2;
}

int printInfo(const std::string& path)
{
    auto file = media::TrackFile::open(path);
    if (!file) {
        std::fprintf(
            stderr, "trackplay: %s: not readable, or no MPEG audio frame in it\n", path.c_str());
        return 1;
    }
    const media::TrackInfo& info = file->info();
    std::printf("audio length:      %lld bytes (from offset %lld)\n",
        static_cast<long long>(info.audioLength), static_cast<long long>(info.readStart));
    std::printf("first frame:       offset %lld, MPEG-%s layer %d, %d kbit/s, %s\n",
        static_cast<long long>(info.firstFrame),
        info.header.version == media::MpegVersion::mpeg1       ? "1"
            : info.header.version == media::MpegVersion::mpeg2 ? "2"
                                                               : "2.5",
        info.header.layer, info.header.bitrateKbps, info.header.mono ? "mono" : "stereo");
    std::printf("frame length:      %d bytes\n", info.header.frameLength);
    std::printf("samples per frame: %d\n", info.header.samplesPerFrame);
    std::printf("sample rate:       %d Hz\n", info.header.sampleRate);
    std::printf("total frames:      %lld%s\n", static_cast<long long>(info.totalFrames),
        info.exactTotals ? "" : " (estimated from the size; counted when played)");
    std::printf("duration:          %.0f ms\n", info.durationMs);
    if (info.xing) {
        std::printf("%s flags:        0x%x (frames %u, bytes %u, seek table %s)\n",
            info.xing->constantRate ? "Info" : "Xing", info.xing->flags, info.xing->frameCount,
            info.xing->byteCount, info.xing->seekTable ? "yes" : "no");
        if (info.xing->gap)
            std::printf("encoder gap:       %d samples delay, %d padding\n", info.xing->gap->delay,
                info.xing->gap->padding);
    } else {
        std::printf("Xing flags:        no Xing header%s\n",
            info.firstFrameIsTag ? " (its frame count cannot be right)" : "");
    }
    return 0;
}

int play(const std::string& path, int fromPercent)
{
    platform::SystemClock clock;
    media::OutputFactory makeOutput = platform::pulse::pulseOutputFactory();
    if (!makeOutput) {
        std::fprintf(stderr, "trackplay: no sound server answers; playing silently\n");
        makeOutput = [&clock] { return std::make_unique<media::SilentOutput>(clock); };
    }
    media::TrackCommands commands({ clock, makeOutput });
    auto target = std::make_shared<media::EndWaiter>([](int percent) {
        std::printf("%d%%\n", percent);
        std::fflush(stdout);
    });
    commands.playMusicFile(platform::programPath(path), fromPercent, target);
    if (commands.queryPlayState() != media::PlayState::playing) {
        std::fprintf(stderr, "trackplay: %s: cannot be played\n", path.c_str());
        return 1;
    }
    target->waitForEnd();
    std::printf("end\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    bool info = false;
    int fromPercent = 0;
    const char* file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--info") == 0)
            info = true;
        else if (std::strcmp(argv[i], "--from") == 0 && i + 1 < argc)
            fromPercent = std::atoi(argv[++i]);
        else if (argv[i][0] != '-' && !file)
            file = argv[i];
        else
            return usage();
    }
    if (!file)
        return usage();
    return info ? printInfo(file) : play(file, fromPercent);
}
