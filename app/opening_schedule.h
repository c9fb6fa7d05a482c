#pragma once
// The scheduled opening: the time of day the operator chose and whether the show is being
// held on its track until then. Interface thread only.

#include "runtime/text.h"

namespace app {

struct OpeningSchedule {
    double time = 0; // date-time of the opening (scheduledOpening)
    runtime::Text hourText, minuteText; // as chosen, for the label
    // Set while the opening is more than 30 s away: a track that ends is played again.
    bool pending = false;
};

} // namespace app
