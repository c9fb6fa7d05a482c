#pragma once
// The master volume around each track: the fade-in from silence at a track start, the style's
// volume and time limit applied shortly after, and the fade-out that ends a track early.
// The volume is the system's (系统音量1), never the player's. Interface thread only.

#include <cstdint>

namespace app {

class Application;

// Applies the playing track's style once per track start: shows its style, volume and time
// limit and arms the limit. Runs at every status tick and at the first report of a new track,
// so the limit counts from when the track is first heard rather than from a later tick.
void applyStyleStatus(Application& app);

// Lowers both channels by 1000 per pass, waiting stepMillis and letting pending messages run
// after each, until both read below 2200 or 60 passes are done. A fade-in still running ends
// first, and the fade starts from the volume it finds. Blocks the interface meanwhile.
// False when something in those messages moved the show on, paused or stopped it: the fade
// then ended at once and the caller must not move the show on again.
[[nodiscard]] bool fadeOutMasterVolume(Application& app, std::int64_t stepMillis);

} // namespace app
