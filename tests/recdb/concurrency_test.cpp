// Byte-range locks between handles and processes: the hold counts of the lock table, the
// whole-file range, the wait of RecordCount, and two processes appending at once.

#include "recdb/error_codes.h"
#include "recdb/locked_file.h"
#include "recdb/registry.h"
#include "test_files.h"

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
        FileSystem& fs = posixFileSystem();
        return std::make_unique<LockedFile>(fs, fs.open(dir.path("l.dat"), true), false);
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
        other->unlockByte(16);
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

} // namespace
} // namespace recdb::test
