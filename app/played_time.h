#pragma once
// A stopwatch of played time: it runs while the track plays and stands still while it is
// paused, so positions and time limits counted with it skip the pauses.
// Interface thread only.

#include "platform/clock.h"

#include <optional>

namespace app {

class PlayedTime {
public:
    // Counting starts again from nothing at `now`.
    void restart(platform::Millis now)
    {
        before_ = 0;
        since_ = now;
    }
    // Paused or stopped: the time played so far stays.
    void hold(platform::Millis now)
    {
        before_ = elapsed(now);
        since_.reset();
    }
    // Playing again; nothing changes when it was already counting.
    void run(platform::Millis now)
    {
        if (!since_)
            since_ = now;
    }
    [[nodiscard]] platform::Millis elapsed(platform::Millis now) const
    {
        return since_ ? before_ + (now - *since_) : before_;
    }

private:
    platform::Millis before_ = 0; // played before since_, or in all while held
    std::optional<platform::Millis> since_;
};

} // namespace app
