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

// Where a track starts: a whole percent of it, as the transport resumes a paused track, or a
// time into it, as an evening carried on after a crash does. Nothing above 0 is the beginning.
struct TrackStart {
    enum class Unit { percent, millis };
    Unit unit = Unit::percent;
    std::int64_t amount = 0;

    [[nodiscard]] static constexpr TrackStart percent(int percent)
    {
        return { Unit::percent, percent };
    }
    [[nodiscard]] static constexpr TrackStart millis(std::int64_t millis)
    {
        return { Unit::millis, millis };
    }
    [[nodiscard]] constexpr bool atBeginning() const { return amount <= 0; }
};

// Percent is clamped to 0..100. With a Xing seek table the table is interpolated, else the
// offset is a whole number of first-frame lengths.
SeekTarget seekTarget(const TrackInfo& info, int percent);
// The frame that holds the start, clamped to the track: a percent as above; a time by the
// first frame's samples and rate, its offset interpolated in a Xing seek table as well.
SeekTarget seekTarget(const TrackInfo& info, TrackStart start);

// Progress 0..99 from frames played; 100 belongs to the end of the track only.
[[nodiscard]] int progressPercent(std::int64_t framesPlayed, std::int64_t totalFrames);

} // namespace media
