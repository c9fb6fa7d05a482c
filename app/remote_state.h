#pragma once
// What the remote page and the marquee show of the evening: read from the application as the
// main window shows it, at one moment, and written as the JSON the pages read. Interface
// thread only.

#include "media/player.h"
#include "platform/clock.h"
#include "runtime/text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace app {

class Application;

struct RemoteSlot {
    runtime::Text number;
    runtime::Text style;
    runtime::Text title; // empty while the slot has no track
    bool hasTrack = false;
};

// Texts are GBK, as everywhere in the application; the JSON is UTF-8.
struct RemoteState {
    media::PlayState play = media::PlayState::stopped;
    runtime::Text style; // of the track playing or paused; empty while stopped
    runtime::Text title; // the play-state caption's track title
    platform::Millis now = 0; // on the platform clock, when the state was read
    platform::Millis played = 0; // into the playing track
    std::optional<platform::Millis> limitLeft; // before the style's time limit ends the track
    std::optional<platform::Millis> trackLeft; // before the track ends, once its length is known
    runtime::Text nextStyle; // of the slot the next track comes from
    std::optional<std::int32_t> volumePercent; // the style's volume, once applied
    std::vector<RemoteSlot> slots; // the current show, in record order
    std::int32_t playingSlot = 0; // its record, from 1; 0 before the first start
    runtime::Text show; // the current show's caption
    std::vector<runtime::Text> shows; // the saved shows, as the show list names them
};

[[nodiscard]] RemoteState remoteState(Application& app);
// The times in milliseconds; while a track plays, as moments on the platform clock, so the
// text changes only when something but the passing time does.
[[nodiscard]] std::string remoteStateJson(const RemoteState& state);

} // namespace app
