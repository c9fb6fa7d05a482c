// The remote state is read from the same places the main window's status row and play-state
// line are filled from, so the pages never say something the window does not.

#include "app/remote_state.h"

#include "app/application.h"
#include "app/main_window_roles.h"
#include "app/show_list.h"
#include "app/slot_text.h"

#include "platform/encoding.h"
#include "ui/unit_properties.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace app {
namespace {

using media::PlayState;

Text caption(Application& app, ui::ComponentId label)
{
    return std::get<Text>(
        app.windows.property(role::main::window, label, ui::prop::label::caption));
}

// The slots as the tree shows them: per record a heading "序号  曲风" and under it the track's
// title. Read from the tree rather than the show table, because the state is read between
// any two events, also inside a handler's question while it has a table open.
std::vector<RemoteSlot> slotsShown(Application& app)
{
    const std::vector<std::int32_t>& withTrack = app.globals.playQueueRecords;
    std::vector<RemoteSlot> slots;
    app.windows.inspect(role::main::window, role::slotTree, { ui::unit::treeBox },
        [&](const ui::ComponentState& tree) {
            for (std::size_t item = 0; item + 1 < tree.tree.size(); item += 2) {
                const Text& heading = tree.tree[item].text;
                const auto record = static_cast<std::int32_t>(item / 2 + 1);
                const bool hasTrack
                    = std::find(withTrack.begin(), withTrack.end(), record) != withTrack.end();
                slots.push_back({ numberFromHeading(heading), styleFromHeading(heading),
                    hasTrack ? tree.tree[item + 1].text : Text(), hasTrack });
            }
        });
    return slots;
}

// The style of the slot the 下一曲 button would play: after the last track it wraps to the
// first, and with fewer than two tracks there is none.
Text styleOfNextSlot(const Application& app, const std::vector<RemoteSlot>& slots)
{
    const QueueView queue(app.globals.playQueue, app.globals.playQueueRecords);
    if (queue.length() <= 1)
        return {};
    const std::int32_t after = queue.positionAfter(app.globals.playing);
    const std::int32_t record = queue.recordAt(after == 0 ? 1 : after);
    if (record < 1 || std::size_t(record) > slots.size())
        return {};
    return slots[std::size_t(record) - 1].style;
}

std::optional<platform::Millis> timeLeftInTrack(const Application& app, platform::Millis played)
{
    const TrackDurations::Length length = app.durations.length(app.globals.playing.path);
    if (length.state != TrackDurations::State::measured)
        return std::nullopt;
    return std::max<platform::Millis>(length.millis - played, 0);
}

const char* playName(PlayState play)
{
    switch (play) {
    case PlayState::playing:
        return "playing";
    case PlayState::paused:
        return "paused";
    case PlayState::stopped:
        break;
    }
    return "stopped";
}

// A JSON string of a GBK text.
std::string quoted(const Text& text)
{
    std::string out = "\"";
    for (const char c : platform::gbkToUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string millisOrNull(const std::optional<platform::Millis>& millis)
{
    return millis ? std::to_string(*millis) : "null";
}

} // namespace

RemoteState remoteState(Application& app)
{
    const Globals& globals = app.globals;
    const platform::Millis now = app.runtime.platform().clock().now();
    RemoteState state;
    state.now = now;
    state.play = app.trackPlayer.queryPlayState();
    state.slots = slotsShown(app);
    state.playingSlot = globals.playing.record;
    if (state.playingSlot != 0)
        state.played = globals.playing.position.at(now);
    state.title = caption(app, role::trackTitle);
    // Stopped, the last style is no longer the dance on: after a show is loaded it need not
    // even be one of the show's.
    if (state.playingSlot != 0 && state.play != PlayState::stopped) {
        state.style = globals.currentStyle.get();
        state.limitLeft = globals.styleStatus.timeLimit.leftAt(now);
        state.trackLeft = timeLeftInTrack(app, state.played);
    }
    state.nextStyle = styleOfNextSlot(app, state.slots);
    if (globals.styleStatus.appliedTrackSerial != 0 && state.play != PlayState::stopped)
        state.volumePercent = static_cast<std::int32_t>(std::lround(globals.volumeFactor * 100));
    state.show = caption(app, role::main::标签场次);
    state.shows = savedShowNames(app);
    return state;
}

std::string remoteStateJson(const RemoteState& state)
{
    std::string json = "{\"play\":\"" + std::string(playName(state.play)) + "\"";
    json += ",\"style\":" + quoted(state.style);
    json += ",\"title\":" + quoted(state.title);
    // While a track plays, its times as the moments they count from and to on the program's
    // clock: those stand still, so the state does not change every second, and a page counts
    // on from the clock's time sent with each message. Paused or stopped, the times themselves.
    const bool counting = state.play == PlayState::playing;
    const std::optional<platform::Millis> none;
    json += ",\"played\":" + millisOrNull(counting ? none : state.played);
    json += ",\"playedFrom\":" + millisOrNull(counting ? state.now - state.played : none);
    json += ",\"limitLeft\":" + millisOrNull(counting ? none : state.limitLeft);
    json += ",\"limitAt\":"
        + millisOrNull(counting && state.limitLeft ? state.now + *state.limitLeft : none);
    json += ",\"trackLeft\":" + millisOrNull(counting ? none : state.trackLeft);
    json += ",\"trackEndsAt\":"
        + millisOrNull(counting && state.trackLeft ? state.now + *state.trackLeft : none);
    json += ",\"nextStyle\":" + quoted(state.nextStyle);
    json += ",\"volume\":" + (state.volumePercent ? std::to_string(*state.volumePercent) : "null");
    json += ",\"playingSlot\":" + std::to_string(state.playingSlot);
    json += ",\"show\":" + quoted(state.show);
    json += ",\"slots\":[";
    for (std::size_t k = 0; k < state.slots.size(); ++k) {
        const RemoteSlot& slot = state.slots[k];
        json += (k == 0 ? "" : ",");
        json += "{\"number\":" + quoted(slot.number) + ",\"style\":" + quoted(slot.style)
            + ",\"title\":" + quoted(slot.title)
            + ",\"hasTrack\":" + (slot.hasTrack ? "true" : "false") + "}";
    }
    json += "],\"shows\":[";
    for (std::size_t k = 0; k < state.shows.size(); ++k)
        json += (k == 0 ? "" : ",") + quoted(state.shows[k]);
    return json + "]}";
}

} // namespace app
