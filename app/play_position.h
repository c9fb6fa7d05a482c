#pragma once
// Where the playing track stands, in milliseconds of played time: the position it started
// at plus the time it has played since, held across a pause. Counted on the platform clock
// rather than from the player's percent reports, which are a whole percent apart.
// Interface thread only.

#include "app/played_time.h"

namespace app {

class PlayPosition {
public:
    // The track starts playing at `from` into it.
    void start(platform::Millis from, platform::Millis now)
    {
        from_ = from;
        played_.restart(now);
    }
    // Paused or stopped: the position stays where it is.
    void hold(platform::Millis now) { played_.hold(now); }
    // Playing again from where it was held.
    void resume(platform::Millis now) { played_.run(now); }
    [[nodiscard]] platform::Millis at(platform::Millis now) const
    {
        return from_ + played_.elapsed(now);
    }

private:
    platform::Millis from_ = 0;
    PlayedTime played_;
};

} // namespace app
