#pragma once
// What the application tells the evening log (evening_log.h): a snapshot of the show, the
// playing slot, its position, the style status and the scheduled opening, taken at every
// change of the play state, every status tick while a track plays, and at the normal end.
// Interface thread only.

#include "app/evening_record.h"

#include <optional>

namespace app {

class Application;

// Opens the hall folder's evening log for this run and gives what the last run left in it;
// in a hall that may not be written, only reads it. Call once the hall is ours (the
// single-instance lock taken).
[[nodiscard]] std::optional<EveningRecord> openEveningLog(Application& app);

// Hands where the evening stands now, in `state`, to the log's writing thread; the normal
// end waits until it is on the disk. Nothing before the log is open. A log that cannot be
// written costs only the offer to carry on after a crash; the music goes on.
void recordEvening(Application& app, EveningState state);

// The play state as the log names it; stopped when no track is loaded.
[[nodiscard]] EveningState currentEveningState(Application& app);

} // namespace app
