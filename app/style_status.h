#pragma once
// The style settings applied to the playing track: which track they were applied to, its
// style, and its time limit. Interface thread only.

#include "app/track_time_limit.h"

#include "runtime/text.h"

#include <cstdint>

namespace app {

struct StyleStatus {
    std::int32_t appliedTrackSerial = 0; // the track start they were applied to
    runtime::Text appliedStyle;
    TrackTimeLimit timeLimit;
};

} // namespace app
