// loudness: measures MPEG audio files as the player does before evening them out, and
// prints each one's integrated loudness, loudness range, true peak and the gain it would
// play at.
//
//   loudness [--target LUFS] FILE…

#include "loudness/track_gain.h"
#include "loudness/track_loudness.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: loudness [--target LUFS] FILE...\n");
    return 2;
}

std::string figure(double value, const char* unit)
{
    if (!std::isfinite(value))
        return std::string("-inf ") + unit;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, unit);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    double target = loudness::defaultTargetLufs;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--target") == 0) {
        char* end = nullptr;
        target = std::strtod(argv[2], &end);
        if (end == argv[2] || *end != '\0' || target < loudness::lowestTargetLufs
            || target > loudness::highestTargetLufs) {
            std::fprintf(stderr, "loudness: the target is a level from %.0f to %.0f LUFS\n",
                loudness::lowestTargetLufs, loudness::highestTargetLufs);
            return 2;
        }
        first = 3;
    }
    if (first >= argc)
        return usage();

    const std::atomic<bool> never { false };
    int status = 0;
    for (int i = first; i < argc; ++i) {
        const std::string path = argv[i];
        auto measured = loudness::measureTrack(path, never);
        const auto* track = std::get_if<loudness::Loudness>(&measured);
        if (!track) {
            std::fprintf(
                stderr, "loudness: %s: not readable, or no MPEG audio frame in it\n", path.c_str());
            status = 1;
            continue;
        }
        auto gain = loudness::gainDb(*track, target);
        std::printf("%s\n  integrated: %s\n  range:      %s\n  true peak:  %s\n  gain:       %s\n",
            path.c_str(), figure(track->integratedLufs, "LUFS").c_str(),
            figure(track->rangeLu, "LU").c_str(), figure(track->truePeakDbtp, "dBTP").c_str(),
            gain ? figure(*gain, "dB").c_str() : "none (no loudness measured)");
    }
    return status;
}
