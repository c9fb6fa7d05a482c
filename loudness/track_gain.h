#pragma once
// The gain that brings a measured track to the hall's target loudness without letting its
// true peak pass the ceiling: a track too dynamic to reach the target is raised only as far
// as its peaks allow. Pure arithmetic, any thread.

#include "loudness/track_loudness.h"

#include <optional>

namespace loudness {

constexpr double defaultTargetLufs = -16;
constexpr double lowestTargetLufs = -23;
constexpr double highestTargetLufs = -10;
constexpr double truePeakCeilingDbtp = -1;

// `target` is held within lowestTargetLufs…highestTargetLufs. Nothing for a track without an
// integrated loudness (silent, or too short to gate): it plays as it is.
[[nodiscard]] std::optional<double> gainDb(const Loudness& track, double targetLufs);

// The factor a sample is multiplied by for `gainDb`; 1 for none.
[[nodiscard]] float linearGain(std::optional<double> gainDb);

} // namespace loudness
