#include "loudness/track_gain.h"

#include <algorithm>
#include <cmath>

namespace loudness {

std::optional<double> gainDb(const Loudness& track, double targetLufs)
{
    if (!std::isfinite(track.integratedLufs))
        return std::nullopt;
    double target = std::clamp(targetLufs, lowestTargetLufs, highestTargetLufs);
    double gain = target - track.integratedLufs;
    // Digital silence has no peak to keep under the ceiling; -inf passes this test.
    if (track.truePeakDbtp + gain > truePeakCeilingDbtp)
        gain = truePeakCeilingDbtp - track.truePeakDbtp;
    return gain;
}

float linearGain(std::optional<double> gainDb)
{
    return gainDb ? float(std::pow(10.0, *gainDb / 20)) : 1.0f;
}

} // namespace loudness
