// A failing system call ends in an error code and leaves files that still open and pass
// the check.

#include "faulty_file_system.h"
#include "recdb/error_codes.h"
#include "recdb/file_check.h"
#include "recdb/registry.h"
#include "test_files.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace recdb::test {
namespace {

// Everything that changes a file's bytes or length: the calls a full disk or a failing
// device refuses.
constexpr std::initializer_list<support::FileCall> writes
    = { support::FileCall::writeAt, support::FileCall::setLength };

TEST(FaultTest, EveryFailingWriteOfAWorkloadIsReportedAndTheFilesStillOpen)
{
    TempDir dir;
    ThrowingReport report;
    DatabaseImage image({ { "name", 10, 16 }, { "memo", 12, 4 } });
    for (int id = 1; id <= 4; ++id)
        image.addRecord(id);
    const Bytes database = image.bytes();
    const Bytes aux = AuxImage().bytes();

    for (int failAt = 1;; ++failAt) {
        writeFile(dir.path("f.dat"), database);
        writeFile(dir.path("f.EDT"), aux);
        const int error = failAt % 2 ? ENOSPC : EIO;
        support::FaultyFileSystem fs;
        fs.failNth(writes, failAt, error);
        bool allSucceeded = true;
        {
            Registry registry(report, fs);
            ASSERT_TRUE(registry.openDatabase(dir.path("f.dat")));
            auto step = [&](bool ok) {
                allSucceeded = allSucceeded && ok;
                if (!ok) {
                    EXPECT_EQ(lastError(), error == ENOSPC ? DiskFull : HardwareFault);
                }
            };
            step(registry.appendBlankRecord());
            step(registry.writeField(Text("name"), {}, Text("new")));
            step(registry.writeField(Text("memo"), {}, Text(1300, 'm')));
            step(registry.writeField(Text("memo"), {}, Text("short")));
            step(registry.writeField(Text("memo"), {}, Text(1100, 'n'))); // from the free list
            step(registry.goTo(2) && registry.markDeleted());
            step(registry.pack());
        }
        Registry check(report);
        ASSERT_TRUE(check.openDatabase(dir.path("f.dat"))) << "write " << failAt;
        int count = check.recordCount();
        EXPECT_GE(count, 3) << "write " << failAt;
        check.closeDatabase();
        EXPECT_EQ(checkDatabaseFile(dir.path("f.dat")).code, Ok) << "write " << failAt;
        if (allSucceeded) {
            EXPECT_EQ(count, 4);
            break;
        }
    }
}

// A value that takes blocks from the free list and fails on one of them gives the blocks
// back: the list keeps its length, the old value stays, and the next value reuses the blocks
// instead of growing the file.
TEST(FaultTest, AValueThatFailsHalfWayGivesItsFreeBlocksBack)
{
    TempDir dir;
    ThrowingReport report;
    DatabaseImage image({ { "memo", 12, 4 } });
    image.addRecord(1);
    writeFile(dir.path("f.dat"), image.bytes());
    writeFile(dir.path("f.EDT"), AuxImage().bytes());
    {
        Registry registry(report);
        ASSERT_TRUE(registry.openDatabase(dir.path("f.dat")));
        ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(1300, 'o'))); // blocks 1, 2, 3
        ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text("old"))); // 4; frees 1, 2, 3
    }
    const Bytes before = readFile(dir.path("f.EDT"));
    ASSERT_EQ(getInt(before, 20, 4), 3);

    support::FaultyFileSystem fs;
    fs.failNth(writes, 3, ENOSPC); // the header, block 1, then block 2 fails
    Registry registry(report, fs);
    ASSERT_TRUE(registry.openDatabase(dir.path("f.dat")));
    EXPECT_FALSE(registry.writeField(Text("memo"), {}, Text(1100, 'n')));
    EXPECT_EQ(lastError(), DiskFull);
    EXPECT_EQ(readFile(dir.path("f.EDT")), before);
    EXPECT_EQ(*registry.readField(Text("memo")).as<Text>(), "old");

    ASSERT_TRUE(registry.writeField(Text("memo"), {}, Text(1100, 'n')));
    EXPECT_EQ(getInt(readFile(dir.path("f.EDT")), 16, 4), 4);
    registry.closeDatabase();
    EXPECT_EQ(checkDatabaseFile(dir.path("f.dat")).code, Ok);
}

} // namespace
} // namespace recdb::test
