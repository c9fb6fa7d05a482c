// Reading a whole table at once gives what reading record after record, field by field gives:
// the same values and the same codes for deleted, damaged and cut records, with a writer
// holding part of the file, and in every open mode; and it does so in a few system calls
// however many records there are.

#include "faulty_file_system.h"
#include "recdb/database.h"
#include "recdb/error_codes.h"
#include "recdb/registry.h"
#include "test_files.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace recdb::test {
namespace {

// A value as text with its type, so that two values compare whatever their type.
std::string describe(const runtime::Value& value)
{
    return std::to_string(value.payload().index()) + ":"
        + std::visit(
            [](const auto& v) -> std::string {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, Text>)
                    return v;
                else if constexpr (std::is_same_v<T, runtime::ByteSet>)
                    return std::string(v.begin(), v.end());
                else if constexpr (std::is_same_v<T, runtime::DateTime>)
                    return std::to_string(v.days);
                else if constexpr (std::is_arithmetic_v<T>)
                    return std::to_string(v);
                else
                    return "-";
            },
            value.payload());
}

// The path the whole read must match: each record's id, then each field, one by one.
std::vector<StoredRecord> readOneByOne(Database& database)
{
    std::int32_t count = 0, nextId = 0;
    EXPECT_EQ(database.lockedCounters(count, nextId), Ok);
    std::vector<StoredRecord> records(static_cast<std::size_t>(count));
    for (std::int32_t index = 0; index < count; ++index) {
        StoredRecord& record = records[std::size_t(index)];
        database.current = index;
        record.idResult = database.readRecordId(record.id);
        for (const Field& field : database.fields()) {
            StoredRecord::FieldValue& read = record.fields.emplace_back();
            read.result = database.readField(field, read.value);
        }
    }
    return records;
}

std::vector<StoredRecord> readAll(Database& database)
{
    std::vector<const Field*> fields;
    for (const Field& field : database.fields())
        fields.push_back(&field);
    std::vector<StoredRecord> records;
    EXPECT_EQ(database.readAllRecords(fields, records), Ok);
    return records;
}

void expectSame(const std::vector<StoredRecord>& expected, const std::vector<StoredRecord>& got)
{
    ASSERT_EQ(expected.size(), got.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(expected[k].idResult, got[k].idResult) << "record " << k + 1;
        EXPECT_EQ(expected[k].id, got[k].id) << "record " << k + 1;
        ASSERT_EQ(expected[k].fields.size(), got[k].fields.size());
        for (std::size_t f = 0; f < expected[k].fields.size(); ++f) {
            EXPECT_EQ(expected[k].fields[f].result, got[k].fields[f].result)
                << "record " << k + 1 << ", field " << f + 1;
            EXPECT_EQ(describe(expected[k].fields[f].value), describe(got[k].fields[f].value))
                << "record " << k + 1 << ", field " << f + 1;
        }
    }
}

enum Column { Name, Count, When, Price, Flag, Memo, Set };

class TableReadTest : public ::testing::Test {
protected:
    // Records: 1 whole with a three-block memo, 2 marked deleted, 3 a memo pointing past the
    // auxiliary file, 4 a memo chain that loops, 5 a block claiming 501 bytes, 6 a negative
    // chain pointer, 7 empty.
    void SetUp() override
    {
        DatabaseImage image({ { "name", 10, 16 }, { "count", 3, 4 }, { "when", 8, 8 },
            { "price", 6, 8 }, { "flag", 7, 1 }, { "memo", 12, 4 }, { "set", 11, 4 } });
        AuxImage aux;
        auto put = [&](std::size_t record, Column column, auto value) {
            image.setValue(record, column, &value, sizeof value);
        };
        auto putName = [&](std::size_t record, const std::string& name) {
            image.setValue(record, Name, name.data(), name.size());
        };
        const std::int32_t longMemo = aux.addChain(std::string(1200, 'm'));
        const std::int32_t set = aux.addChain("\x01\x02\x03");
        const std::int32_t gone = aux.addChain("gone");
        const std::int32_t loop = aux.addChain("loop");
        putInt(aux.blocks[std::size_t(loop)], 4, loop, 4);
        const std::int32_t tooLong = aux.addChain("long");
        putInt(aux.blocks[std::size_t(tooLong)], 8, 501, 4);

        const std::size_t first = image.addRecord(1);
        putName(first, "first");
        put(first, Count, std::int32_t { -7 });
        put(first, When, 45000.5);
        put(first, Price, 12.25);
        put(first, Flag, std::uint8_t { 1 });
        put(first, Memo, longMemo);
        put(first, Set, set);
        const std::size_t deleted = image.addRecord(-2);
        putName(deleted, "sixteen bytes!!!"); // fills the field: no terminating zero
        put(deleted, Memo, gone);
        put(image.addRecord(3), Memo, std::int32_t { 999 });
        put(image.addRecord(4), Memo, loop);
        put(image.addRecord(5), Set, tooLong);
        put(image.addRecord(6), Memo, std::int32_t { -5 });
        image.addRecord(7);
        recordSize = image.recordSize();
        dataStart = image.dataStart();
        writeFile(dir.path("t.dat"), image.bytes());
        writeFile(dir.path("t.EDT"), aux.bytes());
    }

    std::unique_ptr<Database> open(bool readOnly = false, ShareMode share = ShareMode::Unrestricted,
        platform::FileSystem* fs = nullptr)
    {
        std::unique_ptr<Database> database;
        EXPECT_EQ(Database::open(fs ? *fs : platform::systemFileSystem(), dir.path("t.dat"),
                      readOnly, share, database),
            Ok);
        return database;
    }

    std::int64_t recordStart(int number) const
    {
        return dataStart + std::int64_t(number - 1) * recordSize;
    }

    TempDir dir;
    int recordSize = 0, dataStart = 0;
};

TEST_F(TableReadTest, GivesTheValuesAndCodesOfReadingFieldByFieldInEveryOpenMode)
{
    for (auto [readOnly, share] :
        { std::pair { false, ShareMode::Unrestricted }, std::pair { true, ShareMode::Unrestricted },
            std::pair { false, ShareMode::DenyAll }, std::pair { true, ShareMode::DenyWrite } }) {
        SCOPED_TRACE(testing::Message() << "read-only " << readOnly << ", share " << int(share));
        auto database = open(readOnly, share);
        ASSERT_TRUE(database);
        const std::vector<StoredRecord> expected = readOneByOne(*database);
        database->current = 2;
        const std::vector<StoredRecord> records = readAll(*database);
        EXPECT_EQ(database->current, 2); // the read moves no record pointer
        expectSame(expected, records);

        // The two paths agree on what they should, not only with each other.
        ASSERT_EQ(records.size(), 7u);
        EXPECT_EQ(describe(records[0].fields[Memo].value), describe(Text(1200, 'm')));
        EXPECT_EQ(describe(records[0].fields[Set].value), describe(runtime::ByteSet { 1, 2, 3 }));
        EXPECT_EQ(describe(records[0].fields[When].value), describe(runtime::DateTime { 45000.5 }));
        EXPECT_EQ(records[1].id, -2);
        EXPECT_EQ(describe(records[1].fields[Name].value), describe(Text("sixteen bytes!!!")));
        EXPECT_EQ(describe(records[1].fields[Memo].value), describe(Text("gone")));
        for (auto [record, column] : { std::pair { 2, Memo }, { 3, Memo }, { 4, Set } }) {
            EXPECT_EQ(records[std::size_t(record)].fields[column].result, AuxiliaryAccessFailed);
            EXPECT_EQ(describe(records[std::size_t(record)].fields[column].value),
                describe(column == Memo ? runtime::Value(Text()) : runtime::ByteSet()));
        }
        EXPECT_EQ(records[5].fields[Memo].result, Ok);
    }
}

// Another process cut the file after it was opened: a record cut inside a field, and
// records past the end.
TEST_F(TableReadTest, RecordsCutByTheFilesEndReadAsTheyWouldOneByOne)
{
    auto database = open();
    std::filesystem::resize_file(dir.path("t.dat"), std::uintmax_t(recordStart(5) + 10));
    const std::vector<StoredRecord> records = readAll(*database);
    expectSame(readOneByOne(*database), records);
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(records[4].idResult, Ok);
    EXPECT_EQ(records[4].fields[Name].result, FieldReadFailed);
    EXPECT_EQ(records[4].fields[Set].result, BadSeek);
    EXPECT_EQ(records[5].idResult, NoCurrentRecord);
    EXPECT_EQ(records[5].fields[Count].result, BadSeek);
}

// A writer holding one record (or one block of a chain) does not hold up the others: that
// record alone reads as locked, exactly as record after record.
TEST_F(TableReadTest, AWritersHoldFailsOnlyWhatItHolds)
{
    platform::FileSystem& fs = platform::systemFileSystem();
    auto database = open();
    {
        LockedFile writer(fs, fs.open(dir.path("t.dat"), platform::Access::readWrite), false);
        ASSERT_EQ(writer.lockByte(recordStart(2)), Ok);
        const std::vector<StoredRecord> records = readAll(*database);
        expectSame(readOneByOne(*database), records);
        EXPECT_EQ(records[1].fields[Name].result, LockViolation);
        EXPECT_EQ(records[0].fields[Memo].result, Ok);
        EXPECT_EQ(records[2].fields[Name].result, Ok);
    }
    {
        LockedFile writer(fs, fs.open(dir.path("t.EDT"), platform::Access::readWrite), false);
        ASSERT_EQ(writer.lockByte(512), Ok); // the first block of record 1's memo
        const std::vector<StoredRecord> records = readAll(*database);
        expectSame(readOneByOne(*database), records);
        EXPECT_EQ(records[0].fields[Memo].result, LockViolation);
        EXPECT_EQ(records[1].fields[Memo].result, Ok);
    }
    // Nothing of the reads stays locked.
    LockedFile other(fs, fs.open(dir.path("t.dat"), platform::Access::readWrite), false);
    EXPECT_EQ(other.lockWhole(), Ok);
    LockedFile otherAux(fs, fs.open(dir.path("t.EDT"), platform::Access::readWrite), false);
    EXPECT_EQ(otherAux.lockWhole(), Ok);
}

TEST_F(TableReadTest, TheSystemCallsDoNotGrowWithTheRecords)
{
    for (int records : { 1, 300 }) {
        DatabaseImage image({ { "name", 10, 16 }, { "memo", 12, 4 } });
        AuxImage aux;
        for (int id = 1; id <= records; ++id) {
            const std::int32_t chain = aux.addChain(std::string(700, 'x'));
            image.setValue(image.addRecord(id), 1, &chain, sizeof chain);
        }
        writeFile(dir.path("t.dat"), image.bytes());
        writeFile(dir.path("t.EDT"), aux.bytes());
        support::FaultyFileSystem fs;
        auto database = open(false, ShareMode::Unrestricted, &fs);
        fs.resetCounts();
        ASSERT_EQ(readAll(*database).size(), std::size_t(records));
        // One shared lock on each file; the counters, the records, the chains.
        EXPECT_EQ(fs.calls(support::FileCall::lockRange), 2) << records << " records";
        EXPECT_EQ(fs.calls(support::FileCall::unlockRange), 2) << records << " records";
        EXPECT_EQ(fs.calls(support::FileCall::readAt), 3) << records << " records";
    }
}

// A large table is read in pieces: records on either side of a piece's edge, and a file cut
// in the middle of a later piece, read as they would one by one.
TEST_F(TableReadTest, ALargeTableReadsTheSameAcrossItsPieces)
{
    DatabaseImage image({ { "name", 10, 1024 } });
    for (int id = 1; id <= 2500; ++id) {
        const std::string name = "r" + std::to_string(id);
        image.setValue(image.addRecord(id), 0, name.data(), name.size());
    }
    writeFile(dir.path("t.dat"), image.bytes());
    auto database = open();
    std::vector<StoredRecord> records = readAll(*database);
    ASSERT_EQ(records.size(), 2500u);
    for (std::size_t k = 0; k < records.size(); ++k)
        ASSERT_EQ(
            describe(records[k].fields[0].value), describe(Text("r" + std::to_string(k + 1))));

    const std::int64_t recordBytes = image.recordSize();
    std::filesystem::resize_file(
        dir.path("t.dat"), std::uintmax_t(image.dataStart() + 2100 * recordBytes + 500));
    records = readAll(*database);
    expectSame(readOneByOne(*database), records);
    EXPECT_EQ(records[2099].fields[0].result, Ok);
    EXPECT_EQ(records[2100].fields[0].result, FieldReadFailed);
    EXPECT_EQ(records[2101].idResult, NoCurrentRecord);
}

TEST(SharedRangeTest, ReadersShareItAndAWritersByteKeepsItOut)
{
    TempDir dir;
    writeFile(dir.path("l.dat"), DatabaseImage({ { "who", 10, 16 } }).bytes());
    platform::FileSystem& fs = platform::systemFileSystem();
    auto handle = [&] {
        return std::make_unique<LockedFile>(
            fs, fs.open(dir.path("l.dat"), platform::Access::readWrite), false);
    };
    auto a = handle(), b = handle(), writer = handle();
    {
        SharedRangeLock first(*a, 16), second(*b, 16);
        EXPECT_EQ(first.result(), Ok);
        EXPECT_EQ(second.result(), Ok);
        EXPECT_EQ(writer->lockByte(400), LockViolation);
        EXPECT_EQ(writer->lockByte(10), Ok); // before the range
    }
    EXPECT_EQ(writer->lockByte(400), Ok);
    EXPECT_EQ(SharedRangeLock(*a, 16).result(), LockViolation);
    ASSERT_EQ(writer->unlockByte(400), Ok);

    // A shared lock over a byte the handle holds itself would weaken that hold.
    ASSERT_EQ(a->lockByte(500), Ok);
    EXPECT_EQ(SharedRangeLock(*a, 16).result(), LockFailed);
    EXPECT_EQ(b->lockByte(500), LockViolation);
}

class RegistryTableReadTest : public TableReadTest {
protected:
    ThrowingReport report;
    Registry registry { report };
};

TEST_F(RegistryTableReadTest, RowsHoldWhatReadFieldGivesAndTheFirstFailureIsLeft)
{
    ASSERT_TRUE(registry.openDatabase(dir.path("t.dat"), "t"));
    const std::vector<runtime::Value> fields = { Text("memo"), std::int32_t { 1 }, Text("SET") };
    const auto rows = registry.readAllRecords(fields, Text("t"));
    EXPECT_EQ(lastError(), AuxiliaryAccessFailed); // record 3's memo
    ASSERT_EQ(rows.size(), 7u);
    registry.goFirst();
    for (std::size_t k = 0; k < rows.size(); ++k, registry.skip())
        for (std::size_t f = 0; f < fields.size(); ++f)
            EXPECT_EQ(describe(rows[k].fields[f].value), describe(registry.readField(fields[f])))
                << "record " << k + 1 << ", field " << f + 1;
}

TEST_F(RegistryTableReadTest, AMissingFieldRaisesOnlyWhenThereIsARecordToRead)
{
    ASSERT_TRUE(registry.openDatabase(dir.path("t.dat"), "t"));
    EXPECT_THROW(registry.readAllRecords({ Text("name"), Text("nope") }), RuntimeErrorRaised);
    EXPECT_THROW(registry.readAllRecords({ 1.5f, true }), RuntimeErrorRaised);
    registry.closeDatabase();

    writeFile(dir.path("e.dat"), DatabaseImage({ { "name", 10, 16 } }).bytes());
    ASSERT_TRUE(registry.openDatabase(dir.path("e.dat")));
    EXPECT_TRUE(registry.readAllRecords({ Text("nope") }).empty());
    EXPECT_TRUE(registry.readAllRecords({ Text("name") }).empty());
    EXPECT_EQ(lastError(), Ok);
}

} // namespace
} // namespace recdb::test
