#pragma once
// Track lengths on the main window: beside each track's title in the slot tree, the show's
// running time in 标签总时长 under its name, and on the status row the time left of the
// current track. Lengths come from the application's TrackDurations; the views are updated
// again when tracks that were still being measured are done.

#include <vector>

namespace app {

class Application;
struct Slot;

// Shows what is known of the lengths of the slots' tracks (the slot tree must show exactly
// these slots) and has the others measured.
void showTrackDurations(Application& app, const std::vector<Slot>& slots);
// Only shows what is known, leaving the measuring for a later showTrackDurations.
void showKnownDurations(Application& app, const std::vector<Slot>& slots);

} // namespace app
