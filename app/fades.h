#pragma once
// The master-volume fades in progress. The fade-in is a timer's step counter; a fade-out is a
// loop on the interface thread that lets messages run between its passes, so what happens
// in those messages (the operator's buttons, the end of the track) must be able to end it.
// Interface thread only.

#include <cstdint>

namespace app {

struct Fades {
    std::int32_t fadeInStep = 0; // ticks of the fade-in so far
    bool fadeOutRunning = false;
    // Set when the show was moved on, paused or stopped while a fade-out ran: the fade then
    // ends at once and leaves the show where that put it.
    bool fadeOutOvertaken = false;
};

} // namespace app
