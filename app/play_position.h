#pragma once
// Where the playing track stands, in milliseconds of played time: the position it started
// at plus the time it has played since, held across a pause. Counted on the platform clock
// rather than from the player's percent reports, which are a whole percent apart.
// Interface thread only.

#include "platform/clock.h"

#include <optional>

namespace app {

class PlayPosition {
public:
    // The track starts playing at `from` into it.
    void start(platform::Millis from, platform::Millis now);
    // Paused or stopped: the position stays where it is.
    void hold(platform::Millis now);
    // Playing again from where it was held.
    void resume(platform::Millis now);
    [[nodiscard]] platform::Millis at(platform::Millis now) const;

private:
    platform::Millis held_ = 0; // at countingSince_, or while held
    std::optional<platform::Millis> countingSince_;
};

} // namespace app
