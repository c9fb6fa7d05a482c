#pragma once
// The master volume around each track: the fade-in from silence at a track start, the style's
// volume and time limit applied shortly after, and the fade-out that ends a track early.
// The volume is the system's (系统音量1), never the player's. Interface thread only.

#include <cstdint>

namespace app {

class Application;

// Lowers both channels by 1000 per pass, waiting stepMillis and letting pending messages run
// after each, until both read below 2200 or 60 passes are done. Blocks the interface meanwhile.
void fadeOutMasterVolume(Application& app, std::int64_t stepMillis);

} // namespace app
