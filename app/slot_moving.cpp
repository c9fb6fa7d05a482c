#include "app/slot_moving.h"
#include "app/main_window_roles.h"

#include "app/application.h"
#include "app/handler_table.h"
#include "app/read_only_hall.h"
#include "app/show_names.h"
#include "app/show_rewrite.h"
#include "app/show_tables.h"
#include "app/show_views.h"

#include "ui/commands.h"
#include "ui/input.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <algorithm>

namespace app {
namespace {

namespace main = ids::MainWindow;
namespace editor = ids::StyleEditorWindow;

// Where record `record` is after record `from` moved to `to`.
std::int32_t recordAfterMove(std::int32_t record, std::int32_t from, std::int32_t to)
{
    if (record == from)
        return to;
    if (from < record && record <= to)
        return record - 1;
    if (to <= record && record < from)
        return record + 1;
    return record;
}

// The slot whose track the player holds goes where its record went, so the sequence goes on
// from there; its item is selected again, as the sequencer leaves it.
void followPlayingSlot(Application& app, std::int32_t from, std::int32_t to)
{
    PlayingSlot& playing = app.globals.playing;
    if (playing.record == 0 || app.trackPlayer.queryPlayState() == media::PlayState::stopped)
        return;
    playing.record = recordAfterMove(playing.record, from, to);
    app.windows.setProperty(
        main::window, role::slotTree, ui::prop::treeBox::selection, 2 * playing.record - 1);
}

std::int32_t selectedSlotRow(Application& app)
{
    return std::get<std::int32_t>(
        app.windows.property(editor::window, editor::超级列表框1, ui::prop::listView::currentRow));
}

// Moves the selected row of the style editor's slot list by one and keeps it selected, so
// that the next move takes the same slot further.
void moveSelectedRow(Application& app, std::int32_t step)
{
    const std::int32_t row = selectedSlotRow(app);
    if (row < 0 || !moveSlot(app, row + 1, row + 1 + step))
        return;
    refreshStyleList(app);
    app.windows.setProperty(
        editor::window, editor::超级列表框1, ui::prop::listView::currentRow, row + step);
}

Text showCaption(Application& app)
{
    return std::get<Text>(
        app.windows.property(main::window, main::标签场次, ui::prop::label::caption));
}

} // namespace

bool moveSlot(Application& app, std::int32_t from, std::int32_t to)
{
    std::vector<Slot> slots = readCurrentShow(app);
    const auto count = static_cast<std::int32_t>(slots.size());
    if (from < 1 || from > count || to < 1 || to > count || from == to)
        return false;
    const auto first = slots.begin() + (std::min(from, to) - 1);
    const auto last = slots.begin() + std::max(from, to);
    if (from < to)
        std::rotate(first, first + 1, last);
    else
        std::rotate(first, last - 1, last);
    if (!replaceCurrentShow(app, slots))
        return false;
    refreshShowView(app);
    followPlayingSlot(app, from, to);
    return true;
}

namespace handlers {

HandlerResult moveSlotUp(Application& app, HandlerArgs)
{
    moveSelectedRow(app, -1);
    return std::nullopt;
}

HandlerResult moveSlotDown(Application& app, HandlerArgs)
{
    moveSelectedRow(app, 1);
    return std::nullopt;
}

HandlerResult slotListKey(Application& app, HandlerArgs args)
{
    if (args.size() < 2 || args[1] != ui::keys::ctrl
        || (args[0] != ui::keyCode::up && args[0] != ui::keyCode::down))
        return std::nullopt;
    moveSelectedRow(app, args[0] == ui::keyCode::up ? -1 : 1);
    return 1;
}

// Item 2k − 2 is the heading of record k and item 2k − 1 its track: either stands for the slot.
// A named show keeps its file in step, as giving a slot its track does.
HandlerResult dropSlot(Application& app, HandlerArgs args)
{
    if (args.size() < 2 || refusedInReadOnlyHall(app)
        || !moveSlot(app, args[0] / 2 + 1, args[1] / 2 + 1))
        return std::nullopt;
    const Text show = showCaption(app);
    if (!namesNoShowFile(show) && !saveShowFile(app, show))
        app.runtime.messageBox("保存播放列表失败！", 0);
    return std::nullopt;
}

} // namespace handlers
} // namespace app
