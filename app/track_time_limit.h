#pragma once
// The time limit of the playing track, counted in played time: the time left until its
// fade-out is kept across a pause, so a resumed track is cut where it would have been had it
// never paused. Holds no timer itself; the caller arms the time-limit timer with what it returns.

#include "app/played_time.h"

#include <optional>
#include <utility>

namespace app {

class TrackTimeLimit {
public:
    // The track's fade-out is due after `fadeAfter` more played time, counted from `now`.
    void arm(platform::Millis fadeAfter, platform::Millis now);
    // The track stops counting (paused); what is left stays for the resume.
    void hold(platform::Millis now);
    // Counting goes on from `now`: the time left until the fade, if the track has a limit.
    [[nodiscard]] std::optional<platform::Millis> resume(platform::Millis now);
    // No limit for the track (another track, no limit in its style, or its fade has begun);
    // a time carried over goes too.
    void clear();
    // The time that was left when the program ended abnormally, for the arming of the track
    // carried on from there; taken once.
    void carryOver(platform::Millis left) { carriedOver_ = left; }
    [[nodiscard]] std::optional<platform::Millis> takeCarriedOver()
    {
        return std::exchange(carriedOver_, std::nullopt);
    }

    [[nodiscard]] std::optional<platform::Millis> leftAt(platform::Millis now) const;

private:
    std::optional<platform::Millis> fadeAfter_; // of played time from the arming
    PlayedTime played_;
    std::optional<platform::Millis> carriedOver_;
};

} // namespace app
