#include "app/show_views.h"
#include "app/main_window_roles.h"

#include "app/application.h"
#include "app/show_durations.h"
#include "app/show_tables.h"
#include "app/slot_text.h"

#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <algorithm>

namespace app {
namespace {

constexpr char noTrackYet[] = "选择更换舞曲";
constexpr int trackItemDepth = 2;

} // namespace

void refreshShowView(Application& app)
{
    using namespace ids::MainWindow;
    ui::Commands commands(app.windows);
    commands.treeClear(window, role::slotTree);
    // One read serves tree and queue, so both show the same records.
    const std::vector<Slot> slots = readCurrentShow(app);
    for (const Slot& slot : slots) {
        const std::int32_t heading = commands.treeAddItem(
            window, role::slotTree, std::nullopt, slotHeading(slot.number, slot.style));
        commands.treeAddItem(
            window, role::slotTree, heading, slot.title.empty() ? Text(noTrackYet) : slot.title);
    }
    const std::int32_t count = commands.treeCount(window, role::slotTree);
    for (std::int32_t item = 0; item < count; ++item)
        commands.treeExpand(window, role::slotTree, item);
    commands.treeEnsureVisible(window, role::slotTree, 0);
    buildPlayQueue(app, slots);
    showTrackDurations(app, slots);
}

void buildPlayQueue(Application& app, const std::vector<Slot>& slots)
{
    Globals& globals = app.globals;
    globals.playQueue.clear();
    globals.playQueueRecords.clear();
    for (std::size_t k = 0; k < slots.size(); ++k) {
        if (slots[k].path.empty())
            continue;
        globals.playQueue.push_back(slots[k].path);
        globals.playQueueRecords.push_back(static_cast<std::int32_t>(k + 1));
    }
}

void refreshStyleList(Application& app)
{
    using namespace ids::StyleEditorWindow;
    ui::Commands commands(app.windows);
    commands.listViewClear(window, 超级列表框1);
    for (const Slot& slot : readCurrentShow(app))
        commands.listViewInsert(
            window, 超级列表框1, std::nullopt, slotHeading(slot.number, slot.style));
}

std::int32_t trackItemOfQueuePosition(const Application& app, std::int32_t position)
{
    const std::vector<std::int32_t>& records = app.globals.playQueueRecords;
    if (position < 1 || position > static_cast<std::int32_t>(records.size()))
        return -1;
    return 2 * records[static_cast<std::size_t>(position - 1)] - 1;
}

std::int32_t queuePositionOfRecord(const Application& app, std::int32_t record)
{
    const std::vector<std::int32_t>& records = app.globals.playQueueRecords;
    const auto found = std::find(records.begin(), records.end(), record);
    return found == records.end() ? 0 : static_cast<std::int32_t>(found - records.begin()) + 1;
}

runtime::Text styleOfSelectedTrack(Application& app)
{
    using namespace ids::MainWindow;
    ui::Commands commands(app.windows);
    const ui::Value selected
        = app.windows.property(window, role::slotTree, ui::prop::treeBox::selection);
    const int* item = std::get_if<int>(&selected);
    if (!item || *item < 0 || commands.treeDepth(window, role::slotTree, *item) != trackItemDepth)
        return {};
    return styleFromHeading(commands.treeItemText(
        window, role::slotTree, commands.treeParent(window, role::slotTree, *item)));
}

} // namespace app
