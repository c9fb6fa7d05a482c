#include "app/show_rewrite.h"

#include "app/application.h"

namespace app {
namespace {

bool appendSlot(recdb::Registry& db, const Slot& slot)
{
    db.goLast();
    return db.appendBlankRecord() && db.writeField(Text(fields::style), {}, slot.style)
        && db.writeField(Text(fields::path), {}, slot.path)
        && db.writeField(Text(fields::title), {}, slot.title);
}

// Empties the scratch copy of the show and fills it with exactly `slots`.
bool writeSlots(recdb::Registry& db, const std::vector<Slot>& slots)
{
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
    return editThroughScratch(app, [&slots](recdb::Registry& db) { return writeSlots(db, slots); });
}

} // namespace app
