#include "app/show_rewrite.h"

#include "app/application.h"

#include "runtime/files.h"

namespace app {
namespace {

bool appendSlot(recdb::Registry& db, const Slot& slot)
{
    db.goLast();
    return db.appendBlankRecord() && db.writeField(Text(fields::style), {}, slot.style)
        && db.writeField(Text(fields::path), {}, slot.path)
        && db.writeField(Text(fields::title), {}, slot.title);
}

// The scratch table, a fresh copy of the show table's structure, holding exactly `slots`.
bool buildInScratch(Application& app, const std::vector<Slot>& slots)
{
    OpenTable scratch(app, tables::scratchShow);
    if (!scratch.isOpen())
        return false;
    recdb::Registry& db = app.databases;
    db.goFirst();
    const int count = db.recordCount();
    for (int k = 1; k <= count; ++k, db.skip())
        if (!db.markDeleted())
            return false;
    if (!db.pack())
        return false;
    for (const Slot& slot : slots)
        if (!appendSlot(db, slot))
            return false;
    return renumberRecords(db);
}

} // namespace

bool replaceCurrentShow(Application& app, const std::vector<Slot>& slots)
{
    const Text current = dataFilePath(app, tables::currentShow.file);
    const Text scratch = dataFilePath(app, tables::scratchShow.file);
    return runtime::copyFile(current, scratch) && buildInScratch(app, slots)
        && runtime::copyFile(scratch, current);
}

} // namespace app
