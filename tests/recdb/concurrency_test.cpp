// Byte-range locks between handles and processes: the hold counts of the lock table, the
// whole-file range, the wait of RecordCount, two processes appending at once and two
// processes writing memo values at once.

#include "recdb/error_codes.h"
#include "recdb/file_check.h"
#include "recdb/locked_file.h"
#include "recdb/registry.h"
#include "test_files.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace recdb::test {
namespace {

class LockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DatabaseImage image({ { "who", 10, 16 } });
        writeFile(dir.path("l.dat"), image.bytes());
    }
    std::unique_ptr<LockedFile> handle()
    {
        platform::FileSystem& fs = platform::systemFileSystem();
        return std::make_unique<LockedFile>(
            fs, fs.open(dir.path("l.dat"), platform::Access::readWrite), false);
    }

    TempDir dir;
};

TEST_F(LockTest, HoldCountsDecideWhenTheKernelLockGoes)
{
    auto a = handle(), b = handle();
    ASSERT_EQ(a->lockByte(16), Ok);
    ASSERT_EQ(a->lockByte(16), Ok);
    EXPECT_EQ(b->lockByte(16), LockViolation);
    ASSERT_EQ(a->unlockByte(16), Ok);
    EXPECT_EQ(b->lockByte(16), LockViolation);
    ASSERT_EQ(a->unlockByte(16), Ok);
    EXPECT_EQ(b->lockByte(16), Ok);
    EXPECT_EQ(a->unlockByte(16), UnlockFailed);
}

TEST_F(LockTest, WholeRangeKeepsTheBytesHeldBeforeIt)
{
    auto a = handle(), b = handle();
    ASSERT_EQ(a->lockByte(100), Ok);
    ASSERT_EQ(a->lockWhole(), Ok);
    ASSERT_EQ(a->lockByte(200), Ok); // only recorded
    EXPECT_EQ(b->lockByte(5), LockViolation);
    ASSERT_EQ(a->unlockWhole(), Ok);
    EXPECT_EQ(b->lockByte(5), Ok);
    EXPECT_EQ(b->lockByte(100), LockViolation);
    EXPECT_EQ(b->lockByte(200), LockViolation);
    ASSERT_EQ(a->unlockByte(200), Ok);
    EXPECT_EQ(b->lockByte(200), Ok);
}

// Only in builds with assertions (the Debug and sanitizer builds).
#ifndef NDEBUG
TEST_F(LockTest, AssertingAByteStopsUnlessThisHandleHoldsIt)
{
    auto a = handle(), b = handle();
    ASSERT_EQ(a->lockByte(16), Ok);
    a->assertHoldsByte(16);
    EXPECT_DEATH(b->assertHoldsByte(16), "offset 16 is used without its lock");
    EXPECT_DEATH(a->assertHoldsByte(17), "offset 17 is used without its lock");
    ASSERT_EQ(a->lockWhole(), Ok);
    a->assertHoldsByte(300);
    ASSERT_EQ(a->unlockWhole(), Ok);
    EXPECT_DEATH(a->assertHoldsByte(300), "offset 300");
    ASSERT_EQ(a->unlockByte(16), Ok);
    EXPECT_DEATH(a->assertHoldsByte(16), "offset 16");
}
#endif

TEST_F(LockTest, RecordCountWaitsForABusyCounter)
{
    ThrowingReport report;
    Registry registry(report);
    ASSERT_TRUE(registry.openDatabase(dir.path("l.dat")));
    auto other = handle();
    ASSERT_EQ(other->lockByte(16), Ok);
    EXPECT_FALSE(registry.appendBlankRecord()); // no wait outside RecordCount
    EXPECT_EQ(lastError(), LockViolation);
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        (void)other->unlockByte(16);
    });
    EXPECT_EQ(registry.recordCount(), 0);
    EXPECT_EQ(lastError(), Ok);
    release.join();
}

TEST_F(LockTest, ExclusiveShareModeKeepsOthersOut)
{
    ThrowingReport report;
    Registry first(report), second(report);
    ASSERT_TRUE(first.openDatabase(dir.path("l.dat"), {}, false, 4));
    ASSERT_TRUE(first.appendBlankRecord());
    EXPECT_FALSE(second.openDatabase(dir.path("l.dat")));
    EXPECT_EQ(lastError(), LockViolation);
    EXPECT_FALSE(second.openDatabase(dir.path("l.dat"), {}, false, 2));
    EXPECT_EQ(lastError(), SharingViolation);
    first.closeDatabase();
    EXPECT_TRUE(second.openDatabase(dir.path("l.dat")));
}

// Appends `count` records stamped with `who`, retrying while the other process holds a
// lock; exits with the number of records it could not add.
[[noreturn]] void appendFromChild(const std::string& path, const std::string& who, int count)
{
    ThrowingReport report;
    Registry registry(report);
    int failed = 0;
    while (!registry.openDatabase(path)) {
        if (lastError() != LockViolation)
            _exit(100);
    }
    for (int done = 0; done < count;) {
        if (registry.appendBlankRecord()) {
            // The other process's open checks hold the whole file for a moment.
            while (!registry.writeField(Text("who"), {}, Text(who))) {
                if (lastError() != LockViolation) {
                    ++failed;
                    break;
                }
            }
            ++done;
        } else if (lastError() != LockViolation) {
            ++failed;
            ++done;
        }
    }
    _exit(failed);
}

TEST_F(LockTest, TwoProcessesAppendingLoseNoRecordAndShareNoId)
{
    constexpr int perProcess = 300;
    std::vector<pid_t> children;
    for (const char* who : { "left", "right" }) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            appendFromChild(dir.path("l.dat"), who, perProcess);
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    ThrowingReport report;
    Registry registry(report);
    ASSERT_TRUE(registry.openDatabase(dir.path("l.dat")));
    ASSERT_EQ(registry.recordCount(), 2 * perProcess);
    Bytes bytes = readFile(dir.path("l.dat"));
    std::set<std::int64_t> ids;
    std::map<std::string, int> byWho;
    for (int k = 0; k < 2 * perProcess; ++k) {
        std::size_t at = 116 + 72 + std::size_t(k) * 20;
        ids.insert(getInt(bytes, at, 4));
        byWho[reinterpret_cast<const char*>(&bytes[at + 4])]++;
    }
    EXPECT_EQ(ids.size(), std::size_t(2 * perProcess));
    EXPECT_EQ(*ids.begin(), 1);
    EXPECT_EQ(byWho["left"], perProcess);
    EXPECT_EQ(byWho["right"], perProcess);
}

// A memo value written by `who` in round `round`: its length varies between one and
// eighteen blocks, every byte says who wrote it and when, so a torn value shows.
Text memoValue(char who, int round)
{
    return Text(std::size_t(1 + (round * 3371) % 9000), char(who + round % 5));
}

// A value as some write left it: one byte repeated, at the length that byte's rounds give.
bool isWholeValue(const Text& value)
{
    if (value.empty())
        return true;
    for (char who : { 'a', 'n' })
        for (int round = value.front() - who; round < 2000; round += 5)
            if (round >= 0 && memoValue(who, round) == value)
                return true;
    return false;
}

// Writes memo values into both records, giving up on each that meets a busy lock (lock
// wait 0): the failures are the point. After every write the record is read back; exits
// with the number of torn values seen.
[[noreturn]] void writeMemosFromChild(const std::string& path, char who, int rounds)
{
    ThrowingReport report;
    Registry registry(report);
    while (!registry.openDatabase(path)) {
        if (lastError() != LockViolation)
            _exit(100);
    }
    int torn = 0;
    // The two writers mostly work on different records at once, so a write gets past its
    // record's lock and meets the other's hold on the auxiliary header.
    for (int round = 0; round < rounds; ++round) {
        registry.goTo(who == 'a' ? 1 + round % 2 : 2 - round % 2);
        (void)registry.writeField(Text("memo"), {}, memoValue(who, round));
        runtime::Value value = registry.readField(Text("memo"));
        if (lastError() == Ok && !isWholeValue(*value.as<Text>()))
            ++torn;
    }
    _exit(std::min(torn, 99));
}

// The blocks of the auxiliary file that neither a record's chain nor the free list reaches,
// read from the bytes: the records hold one memo field at offset 4 of eight bytes.
std::int64_t unreachableBlocks(const Bytes& database, const Bytes& aux, int records)
{
    const std::int64_t blockCount = getInt(aux, 16, 4);
    std::vector<bool> reached(std::size_t(blockCount), false);
    auto walk = [&](std::int64_t block) {
        for (int steps = 0; block > 0 && block < blockCount && steps < blockCount; ++steps) {
            reached[std::size_t(block)] = true;
            block = getInt(aux, std::size_t(block) * 512 + 4, 4);
        }
    };
    for (int record = 0; record < records; ++record)
        walk(getInt(database, 188 + std::size_t(record) * 8 + 4, 4));
    walk(getInt(aux, 24, 4));
    return std::count(reached.begin() + 1, reached.end(), false);
}

// Two writers on one record: each value reads back whole, old or new, never new first
// blocks with an old tail; the file passes the check (no free block is live) and every
// block is in a chain or on the free list. The race it guards is rare: run it repeatedly
// (--gtest_repeat) after touching the auxiliary file.
TEST(MemoWriters, TwoProcessesNeverTearAValue)
{
    TempDir dir;
    DatabaseImage image({ { "memo", 12, 4 } });
    image.addRecord(1);
    image.addRecord(2);
    writeFile(dir.path("m.dat"), image.bytes());
    writeFile(dir.path("m.EDT"), AuxImage().bytes());
    constexpr int rounds = 1000;
    std::vector<pid_t> children;
    for (char who : { 'a', 'n' }) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            writeMemosFromChild(dir.path("m.dat"), who, rounds);
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "torn values read back";
    }

    ThrowingReport report;
    Registry registry(report);
    ASSERT_TRUE(registry.openDatabase(dir.path("m.dat")));
    for (int record = 1; record <= 2; ++record) {
        ASSERT_TRUE(registry.goTo(record));
        const Text value = *registry.readField(Text("memo")).as<Text>();
        EXPECT_EQ(lastError(), Ok);
        EXPECT_TRUE(isWholeValue(value))
            << "record " << record << " holds a torn value of " << value.size() << " bytes";
    }
    registry.closeDatabase();
    EXPECT_EQ(checkDatabaseFile(dir.path("m.dat")).code, Ok);
    EXPECT_EQ(unreachableBlocks(readFile(dir.path("m.dat")), readFile(dir.path("m.EDT")), 2), 0);
}

} // namespace
} // namespace recdb::test
