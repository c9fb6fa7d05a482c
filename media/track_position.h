#pragma once
// Arithmetic of a position in a track: where a seek by percent lands, and the percent of
// progress the player reports. Pure functions over TrackInfo.

#include "media/track_file.h"

#include <cstdint>

namespace media {

struct SeekTarget {
    std::int64_t byteOffset; // from TrackInfo::readStart
    std::int64_t framesPlayed;
};

// Percent is clamped to 0..100. With a Xing seek table the table is interpolated, else the
// offset is a whole number of first-frame lengths.
SeekTarget seekTarget(const TrackInfo& info, int percent);

// Progress 0..99 from frames played; 100 belongs to the end of the track only.
[[nodiscard]] int progressPercent(std::int64_t framesPlayed, std::int64_t totalFrames);

} // namespace media
