// Movement, append, delete marks and pack on files of known content.

#include "recdb/error_codes.h"
#include "recdb/registry.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace recdb::test {
namespace {

class RecordsTest : public ::testing::Test {
protected:
    // A table of n records with ids 1..n and "r<id>" in its text field.
    void create(int records, int width = 16, std::int32_t nextId = 0)
    {
        DatabaseImage image({ { "name", 10, width } });
        for (int id = 1; id <= records; ++id) {
            std::string text = "r" + std::to_string(id);
            image.setValue(image.addRecord(id), 0, text.data(), text.size());
        }
        recordSize = image.recordSize();
        dataStart = image.dataStart();
        writeFile(dir.path("t.dat"), image.bytes(nextId));
        ASSERT_TRUE(registry.openDatabase(dir.path("t.dat"), "t"));
    }
    Text name() { return *registry.readField(Text("name")).as<Text>(); }
    std::vector<std::int64_t> ids()
    {
        Bytes bytes = readFile(dir.path("t.dat"));
        std::vector<std::int64_t> result;
        for (std::size_t at = std::size_t(dataStart); at < bytes.size();
             at += std::size_t(recordSize))
            result.push_back(getInt(bytes, at, 4));
        return result;
    }

    ThrowingReport report;
    TempDir dir;
    Registry registry { report };
    int recordSize = 0, dataStart = 0;
};

TEST_F(RecordsTest, SkipMovesPastTheLastRecordOnceThenFails)
{
    create(3);
    registry.goFirst();
    for (const char* expected : { "r2", "r3" }) {
        ASSERT_TRUE(registry.skip());
        EXPECT_EQ(name(), expected);
    }
    EXPECT_TRUE(registry.skip());
    EXPECT_FALSE(registry.skip());
    EXPECT_EQ(lastError(), AfterLastRecord);
    EXPECT_EQ(name(), "");
    EXPECT_EQ(lastError(), BadSeek);
    EXPECT_FALSE(registry.writeField(Text("name"), {}, Text("x")));
    EXPECT_EQ(lastError(), NoCurrentRecord);

    EXPECT_TRUE(registry.skip(-10));
    EXPECT_FALSE(registry.skip(-1));
    EXPECT_EQ(lastError(), BeforeFirstRecord);
    EXPECT_FALSE(registry.markDeleted());
    EXPECT_EQ(lastError(), NoCurrentRecord);
    EXPECT_TRUE(registry.skip(0));
    EXPECT_TRUE(registry.skip(std::numeric_limits<int>::max()));
    EXPECT_TRUE(registry.skip(std::numeric_limits<int>::min()));
}

TEST_F(RecordsTest, GoToAndGoLastClampToTheRecords)
{
    create(3);
    for (auto [number, expected] : std::vector<std::pair<int, const char*>> {
             { 0, "r1" }, { -5, "r1" }, { 2, "r2" }, { 99, "r3" }, { INT32_MIN, "r1" } }) {
        ASSERT_TRUE(registry.goTo(number));
        EXPECT_EQ(name(), expected) << number;
    }
    registry.goFirst();
    ASSERT_TRUE(registry.goLast());
    EXPECT_EQ(name(), "r3");
}

TEST_F(RecordsTest, EmptyDatabaseMovement)
{
    create(0);
    EXPECT_TRUE(registry.goLast());
    EXPECT_FALSE(registry.skip(1));
    EXPECT_EQ(lastError(), AfterLastRecord);
    EXPECT_FALSE(registry.skip(-1));
    EXPECT_EQ(lastError(), BeforeFirstRecord);
    EXPECT_EQ(name(), "");
    EXPECT_EQ(lastError(), BadSeek);
}

TEST_F(RecordsTest, AppendUsesTheNextIdWhichPackNeverGivesBack)
{
    create(2, 16, 7);
    ASSERT_TRUE(registry.appendBlankRecord());
    EXPECT_EQ(name(), "");
    EXPECT_EQ(getInt(readFile(dir.path("t.dat")), 20, 4), 8);
    EXPECT_EQ(ids(), (std::vector<std::int64_t> { 1, 2, 7 }));
    ASSERT_TRUE(registry.markDeleted());
    ASSERT_TRUE(registry.pack());
    ASSERT_TRUE(registry.appendBlankRecord());
    EXPECT_EQ(ids(), (std::vector<std::int64_t> { 1, 2, 8 }));
    EXPECT_EQ(registry.recordCount(), 3);
}

TEST_F(RecordsTest, AppendRefusesToWrapTheIds)
{
    create(1, 16, INT32_MAX);
    EXPECT_FALSE(registry.appendBlankRecord());
    EXPECT_EQ(lastError(), RecordWriteFailed);
    EXPECT_EQ(registry.recordCount(), 1);
}

TEST_F(RecordsTest, MarkedRecordsStayUntilPackRemovesThem)
{
    create(3);
    ASSERT_TRUE(registry.goTo(2));
    ASSERT_TRUE(registry.markDeleted());
    ASSERT_TRUE(registry.markDeleted()); // already marked: still succeeds
    EXPECT_EQ(registry.recordCount(), 3);
    EXPECT_EQ(name(), "r2");
    EXPECT_EQ(ids(), (std::vector<std::int64_t> { 1, -2, 3 }));
    ASSERT_TRUE(registry.pack());
    EXPECT_EQ(registry.recordCount(), 2);
    EXPECT_EQ(name(), "r1");
    EXPECT_EQ(ids(), (std::vector<std::int64_t> { 1, 3 }));
}

TEST_F(RecordsTest, PackKeepsOrderAcrossChunks)
{
    // Records of 1,028 bytes: 159 to a chunk, so the drops fall into later chunks.
    create(500, 1024);
    for (int number : { 200, 201, 400, 500 }) {
        ASSERT_TRUE(registry.goTo(number));
        ASSERT_TRUE(registry.markDeleted());
    }
    ASSERT_TRUE(registry.pack());
    std::vector<std::int64_t> expected;
    for (int id = 1; id <= 500; ++id) {
        if (id != 200 && id != 201 && id != 400 && id != 500)
            expected.push_back(id);
    }
    EXPECT_EQ(ids(), expected);
    ASSERT_TRUE(registry.goTo(300));
    EXPECT_EQ(name(), "r302");
}

TEST_F(RecordsTest, PackWithoutDeletionsChangesNothing)
{
    create(3);
    Bytes before = readFile(dir.path("t.dat"));
    ASSERT_TRUE(registry.goLast());
    ASSERT_TRUE(registry.pack());
    EXPECT_EQ(name(), "r1");
    EXPECT_EQ(readFile(dir.path("t.dat")), before);
}

} // namespace
} // namespace recdb::test
