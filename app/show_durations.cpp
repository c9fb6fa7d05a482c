#include "app/show_durations.h"
#include "app/main_window_roles.h"

#include "app/application.h"
#include "app/handler_table.h"
#include "app/show_tables.h"
#include "app/slot_text.h"

#include "ui/component_state.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <string>

namespace app {
namespace {

namespace main = ids::MainWindow;
using Length = TrackDurations::Length;
using State = TrackDurations::State;

constexpr int itemsChanged = -1;

Text lengthNote(const Length& length)
{
    return length.state == State::measured ? durationText(length.millis) : Text();
}

Text runningTimeText(std::int64_t millis, int waiting, int unmeasurable)
{
    Text text = runtime::concatText("总时长：", durationText(millis));
    if (waiting > 0)
        text += "（测量中…）";
    else if (unmeasurable > 0)
        text += runtime::concatText("（", std::to_string(unmeasurable), " 首无法测量）");
    return text;
}

// True when the tree shows exactly these slots.
bool showsSlots(const ui::ComponentState& tree, const std::vector<Slot>& slots)
{
    if (tree.tree.size() != 2 * slots.size())
        return false;
    for (std::size_t k = 0; k < slots.size(); ++k)
        if (tree.tree[2 * k].text != slotHeading(slots[k].number, slots[k].style))
            return false;
    return true;
}

} // namespace

// Writes the lengths beside the track items, unless the tree no longer shows these slots (an
// edit is under way that has not rebuilt it yet): then the next rebuild shows them.
void showKnownDurations(Application& app, const std::vector<Slot>& slots)
{
    // A measurement may come back after the program has begun to close.
    if (!app.windows.isLoaded(main::window))
        return;
    std::vector<Length> lengths;
    std::int64_t total = 0;
    int waiting = 0, unmeasurable = 0;
    for (const Slot& slot : slots) {
        lengths.push_back(slot.path.empty() ? Length {} : app.durations.length(slot.path));
        if (slot.path.empty())
            continue;
        if (lengths.back().state == State::measured)
            total += lengths.back().millis;
        else if (lengths.back().state == State::unknown)
            ++waiting;
        else
            ++unmeasurable;
    }
    std::vector<Text> notes;
    for (const Length& length : lengths)
        notes.push_back(lengthNote(length));
    bool shows = false, written = true;
    app.windows.inspect(
        main::window, role::slotTree, { ui::unit::treeBox }, [&](const ui::ComponentState& tree) {
            shows = showsSlots(tree, slots);
            for (std::size_t k = 0; shows && written && k < slots.size(); ++k)
                written = tree.tree[2 * k + 1].note == notes[k];
        });
    if (!shows)
        return;
    // Redrawing a long tree for the same notes, as right after a show is loaded, costs time.
    if (!written)
        app.windows.update(main::window, role::slotTree, { ui::unit::treeBox }, itemsChanged,
            [&](ui::ComponentState& tree) {
                for (std::size_t k = 0; k < slots.size(); ++k)
                    tree.tree[2 * k + 1].note = std::move(notes[k]);
            });
    app.windows.setProperty(main::window, main::标签总时长, ui::prop::label::caption,
        runningTimeText(total, waiting, unmeasurable));
}

void showTrackDurations(Application& app, const std::vector<Slot>& slots)
{
    showKnownDurations(app, slots);
    std::vector<Text> paths;
    for (const Slot& slot : slots)
        if (!slot.path.empty())
            paths.push_back(slot.path);
    if (!paths.empty())
        // Without a worker the lengths stay unknown, as for tracks that cannot be measured.
        (void)app.durations.request(
            paths, [&app] { showKnownDurations(app, readCurrentShow(app)); });
}

namespace handlers {

// From the progress bar's percent: the player reports no finer position.
HandlerResult showTimeLeft(Application& app, HandlerArgs)
{
    Text text;
    const Length length = app.durations.length(app.globals.playing.path);
    if (app.trackPlayer.queryPlayState() != media::PlayState::stopped
        && length.state == State::measured) {
        const std::int32_t percent = std::get<std::int32_t>(
            app.windows.property(main::window, role::progressBar, ui::prop::superBar::position));
        text = "-" + durationText(length.millis * (100 - percent) / 100);
    }
    app.windows.setProperty(main::window, main::标签剩余时间, ui::prop::transLabel::caption, text);
    return std::nullopt;
}

} // namespace handlers
} // namespace app
