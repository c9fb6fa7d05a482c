#pragma once
// Writes a show table the way the program's own editing leaves it, for tests that need a
// show on disk before the window reads it.

#include "app/show_tables.h"
#include "recdb/registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace app::test {

// Resets `table` to the empty installation table, then appends the slots in order.
inline void writeShowTable(
    recdb::Registry& db, const std::filesystem::path& table, const std::vector<Slot>& slots)
{
    std::filesystem::copy_file(std::filesystem::path(DANCEHALL_DIST) / "dqqf.dat", table,
        std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(db.openDatabase(table.string(), Text("dqqf")));
    for (const Slot& slot : slots) {
        ASSERT_TRUE(db.appendBlankRecord());
        EXPECT_TRUE(db.writeField(Text(fields::number), {}, slot.number));
        EXPECT_TRUE(db.writeField(Text(fields::style), {}, slot.style));
        EXPECT_TRUE(db.writeField(Text(fields::title), {}, slot.title));
        EXPECT_TRUE(db.writeField(Text(fields::path), {}, slot.path));
    }
    db.closeDatabase(Text("dqqf"));
}

} // namespace app::test
