#include "app/show_views.h"
#include "app/main_window_roles.h"

#include "app/application.h"
#include "app/even_loudness.h"
#include "app/show_durations.h"
#include "app/show_tables.h"
#include "app/slot_text.h"

#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <algorithm>
#include <memory>

namespace app {
namespace {

constexpr char noTrackYet[] = "选择更换舞曲";
constexpr int trackItemDepth = 2;

// How long the first show's measuring waits for the window to come up.
constexpr platform::Millis measuringDelay = 300;

void measureShow(Application& app, const std::vector<Slot>& slots)
{
    showTrackDurations(app, slots);
    measureShowLoudness(app, slots);
}

// The workers that read the tracks would otherwise take the second core from the window
// server while it maps the window: with a long show that made the window appear much later.
void measureShowShortly(Application& app)
{
    platform::EventLoop& loop = app.windows.loop();
    auto timer = std::make_shared<platform::TimerId>();
    *timer = loop.startTimer(measuringDelay, [&app, &loop, timer] {
        loop.stopTimer(*timer);
        measureShow(app, readCurrentShow(app));
    });
}

} // namespace

void refreshShowView(Application& app, Measuring measuring)
{
    // One read serves tree and queue, so both show the same records.
    refreshShowView(app, readCurrentShow(app), measuring);
}

void refreshShowView(Application& app, const std::vector<Slot>& slots, Measuring measuring)
{
    using namespace ids::MainWindow;
    ui::Commands commands(app.windows);
    std::vector<ui::TreeItem> items;
    items.reserve(2 * slots.size());
    for (const Slot& slot : slots) {
        items.push_back({ slotHeading(slot.number, slot.style), 1, true, {} });
        items.push_back({ slot.title.empty() ? Text(noTrackYet) : slot.title, 2, true, {} });
    }
    commands.treeSetItems(window, role::slotTree, std::move(items));
    commands.treeEnsureVisible(window, role::slotTree, 0);
    buildPlayQueue(app, slots);
    if (measuring == Measuring::now)
        measureShow(app, slots);
    else {
        showKnownDurations(app, slots);
        measureShowShortly(app);
    }
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
    std::vector<Text> rows;
    for (const Slot& slot : readCurrentShow(app))
        rows.push_back(slotHeading(slot.number, slot.style));
    ui::Commands(app.windows).listViewSetRows(window, 超级列表框1, std::move(rows));
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
