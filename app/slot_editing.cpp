// The style editor's edits of the current show's slots: append, insert before the selected
// row, change its style, delete it. Each keeps the slots numbered 1, 2, … in record order and
// leaves the table as it was when a write fails, so no slot is lost or half written.

#include "app/application.h"
#include "app/handler_table.h"
#include "app/show_tables.h"
#include "app/show_views.h"

#include "runtime/files.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

namespace app::handlers {
namespace {

namespace editor = ids::StyleEditorWindow;

std::int32_t selectedSlotRow(Application& app)
{
    return std::get<std::int32_t>(
        app.windows.property(editor::window, editor::超级列表框1, ui::prop::listView::currentRow));
}

// The operator's pick, or an earlier one whose write failed; empty when there is none.
const Text& pickStyle(Application& app)
{
    app.windows.loadWindow(ids::StylePickDialog::window, true);
    return app.globals.chosenStyle;
}

bool appendSlot(recdb::Registry& db, const Slot& slot)
{
    db.goLast();
    return db.appendBlankRecord() && db.writeField(Text(fields::style), {}, slot.style)
        && db.writeField(Text(fields::path), {}, slot.path)
        && db.writeField(Text(fields::title), {}, slot.title);
}

// Builds the show with the new slot in the scratch table: its first `row` slots, the new
// one, then the rest, numbered. False at the first step that fails.
bool buildInsertion(Application& app, std::int32_t row, const std::vector<Slot>& slots)
{
    OpenTable scratch(app, tables::scratchShow);
    if (!scratch.isOpen())
        return false;
    recdb::Registry& db = app.databases;
    const int count = db.recordCount();
    for (int k = row + 1; k <= count; ++k)
        if (!db.goTo(k) || !db.markDeleted())
            return false;
    if (!db.pack() || !appendSlot(db, Slot { {}, app.globals.chosenStyle, {}, {} }))
        return false;
    for (std::size_t k = std::size_t(row); k < slots.size(); ++k)
        if (!appendSlot(db, slots[k]))
            return false;
    return renumberRecords(db);
}

} // namespace

HandlerResult addSlot(Application& app, HandlerArgs)
{
    const Text style = pickStyle(app);
    if (style.empty())
        return std::nullopt;
    // Appended in the scratch copy, which replaces the show whole: a crash between the append
    // and its style never leaves a blank slot, and a failed write leaves the show as it was.
    const bool added = editThroughScratch(app, [&style](recdb::Registry& db) {
        db.goLast();
        return db.appendBlankRecord() && db.writeField(Text(fields::style), {}, style)
            && renumberRecords(db);
    });
    if (added) {
        app.runtime.messageBox("添加成功！", 0);
        app.globals.chosenStyle.clear();
    }
    refreshStyleList(app);
    return std::nullopt;
}

// The new slot is built in the scratch copy and the copy replaces the show table only when
// every step succeeded, so a failed write never leaves the show short of a slot.
HandlerResult insertSlot(Application& app, HandlerArgs)
{
    const std::int32_t row = selectedSlotRow(app);
    if (row < 0)
        return std::nullopt;
    const Text& style = pickStyle(app);
    const bool copied = runtime::copyFile(dataFilePath(app, tables::currentShow.file),
        dataFilePath(app, tables::scratchShow.file), app.files);
    if (style.empty() || !copied)
        return std::nullopt;
    const std::vector<Slot> slots = readCurrentShow(app);
    if (std::size_t(row) > slots.size() || !buildInsertion(app, row, slots))
        return std::nullopt;
    if (runtime::copyFile(dataFilePath(app, tables::scratchShow.file),
            dataFilePath(app, tables::currentShow.file), app.files)) {
        app.runtime.messageBox("插入成功！", 0);
        app.globals.chosenStyle.clear();
    }
    refreshStyleList(app);
    return std::nullopt;
}

// A style that cannot be written leaves the slot as it was and keeps the pick for the next try.
HandlerResult modifySlot(Application& app, HandlerArgs)
{
    const std::int32_t row = selectedSlotRow(app);
    if (row < 0)
        return std::nullopt;
    const Text style = pickStyle(app);
    if (style.empty())
        return std::nullopt;
    {
        OpenTable table(app, tables::currentShow);
        recdb::Registry& db = app.databases;
        if (!table.isOpen() || !db.goTo(row + 1) || !db.writeField(Text(fields::style), {}, style))
            return std::nullopt;
        app.globals.chosenStyle.clear();
        app.runtime.messageBox("修改成功！", 0);
        // A style change moves no slot: the numbers written again are the ones already there.
        (void)renumberRecords(db);
    }
    refreshStyleList(app);
    return std::nullopt;
}

// The slot goes in the scratch copy, which replaces the show whole: a crash part way through
// the pack never leaves a slot twice or a gap in the numbers.
HandlerResult deleteSlot(Application& app, HandlerArgs)
{
    const std::int32_t row = selectedSlotRow(app);
    if (row < 0)
        return std::nullopt;
    const bool deleted = editThroughScratch(app, [row](recdb::Registry& db) {
        return db.goTo(row + 1) && db.markDeleted() && db.pack() && renumberRecords(db);
    });
    if (!deleted)
        return std::nullopt;
    app.runtime.messageBox("删除成功！", 0);
    refreshStyleList(app);
    return std::nullopt;
}

} // namespace app::handlers
