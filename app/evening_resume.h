#pragma once
// The start after an abnormal end: when the evening log's last record says a track was
// playing or paused, the main window, once shown, offers to carry the evening on where it
// stopped: the same show and slot, a little before the logged position, the style's fade-in,
// light program and the rest of its time limit, and a scheduled opening still to come.
// Interface thread only.

#include "app/evening_record.h"

#include <optional>

namespace app {

class Application;

// How far before the logged position the track starts again, so the hall hears where it
// broke off rather than just after.
inline constexpr std::int64_t resumeLeadMillis = 3000;
inline constexpr int resumeQuestionSeconds = 10;

// Offers to carry on from `last` (what the evening log held at the start) when the program
// ended abnormally during playback and the operator has not turned the offer off; a show
// changed since or a track gone is said so, and the start goes on as any other. Either
// way the log then records the new state.
void offerToCarryOn(Application& app, const std::optional<EveningRecord>& last);

} // namespace app
