#include "app/evening_log.h"
#include "app/evening_log_writer.h"

#include "faulty_file_system.h"
#include "platform/system_clock.h"
#include "platform/whole_files.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <thread>

namespace app {
namespace {

using support::FileCall;

EveningRecord recordNumber(int n)
{
    EveningRecord record;
    record.state = n % 2 == 0 ? EveningState::playing : EveningState::paused;
    record.showName = "周末舞会";
    record.showFingerprint = 0xC0FFEEU + std::uint32_t(n);
    record.slotRecord = n;
    record.trackPath = "C:\\舞曲\\第" + std::to_string(n) + "首.mp3";
    record.style = "慢四";
    record.positionMillis = 2000LL * n;
    record.timeLimitLeftMillis = n % 3 == 0 ? -1 : 1000LL * n;
    record.openingPending = n % 5 == 0;
    record.openingTime = 45000.5 + n;
    record.openingHour = "20";
    record.openingMinute = "30";
    return record;
}

class EveningLogFile : public ::testing::Test {
protected:
    EveningLogFile()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "evXXXXXX").string();
        folder = mkdtemp(pattern.data());
        path = folder + "/" + eveningLogName;
    }
    ~EveningLogFile() override { std::filesystem::remove_all(folder); }

    std::optional<EveningRecord> last() { return EveningLog::readLast(files, path); }
    std::string bytes() { return platform::readWholeFile(path).value_or(""); }
    void putBytes(const std::string& content) { ASSERT_TRUE(platform::replaceFile(path, content)); }
    std::size_t filesInFolder()
    {
        auto it = std::filesystem::directory_iterator(folder);
        return static_cast<std::size_t>(std::distance(it, {}));
    }

    std::string folder, path;
    support::FaultyFileSystem files;
};

TEST(EveningRecordPayload, RoundTripsAndRejectsEveryCutOrDamagedPayload)
{
    const EveningRecord record = recordNumber(7);
    const std::string payload = encodeEveningRecord(record);
    EXPECT_EQ(decodeEveningRecord(payload), record);
    for (std::size_t length = 0; length < payload.size(); ++length)
        EXPECT_FALSE(decodeEveningRecord(payload.substr(0, length))) << length;
    EXPECT_FALSE(decodeEveningRecord(payload + "x"));
    std::string unknownState = payload;
    unknownState[1] = 9;
    EXPECT_FALSE(decodeEveningRecord(unknownState));
    std::string hugeText = payload;
    hugeText[38] = '\x7F'; // the show name's byte count, now past the end
    EXPECT_FALSE(decodeEveningRecord(hugeText));
}

TEST(EveningRecordPayload, FingerprintTellsChangedShowsApart)
{
    const std::vector<runtime::Text> paths { "a.mp3", "b.mp3" };
    const std::vector<std::int32_t> records { 1, 3 };
    EXPECT_EQ(showFingerprint(paths, records), showFingerprint(paths, records));
    EXPECT_NE(showFingerprint(paths, records), showFingerprint({ "b.mp3", "a.mp3" }, records));
    EXPECT_NE(showFingerprint(paths, records), showFingerprint(paths, { 1, 2 }))
        << "a slot inserted before the second track";
    EXPECT_NE(showFingerprint(paths, records), showFingerprint({ "a.mp3" }, { 1 }));
    EXPECT_NE(showFingerprint({ "ab", "c" }, { 1, 2 }), showFingerprint({ "a", "bc" }, { 1, 2 }));
}

TEST_F(EveningLogFile, ReadsTheLastRecordAcrossReopening)
{
    EXPECT_FALSE(last()) << "no log yet";
    {
        EveningLog log(files, path);
        for (int n = 1; n <= 3; ++n)
            ASSERT_TRUE(log.append(recordNumber(n)));
    }
    EXPECT_EQ(last(), recordNumber(3));
    EveningLog again(files, path);
    ASSERT_TRUE(again.append(recordNumber(4)));
    EXPECT_EQ(last(), recordNumber(4));
    EXPECT_EQ(files.calls(FileCall::sync), 4) << "every record is synced";
}

TEST_F(EveningLogFile, ATornWriteLeavesThePreviousRecordAndIsWrittenOver)
{
    EveningLog log(files, path);
    ASSERT_TRUE(log.append(recordNumber(1)));
    const std::size_t whole = bytes().size();
    for (std::int64_t kept : { 3, 8, 20 }) {
        files.failNth({ FileCall::writeAt }, 1, ENOSPC, kept);
        EXPECT_FALSE(log.append(recordNumber(2)));
        EXPECT_EQ(last(), recordNumber(1));
        EXPECT_EQ(bytes().size(), whole) << "the torn bytes are cut off";
    }
    files.failNth({ FileCall::sync }, 1, EIO);
    EXPECT_FALSE(log.append(recordNumber(2))) << "a record not synced is not reported stored";
    ASSERT_TRUE(log.append(recordNumber(3)));
    EXPECT_EQ(last(), recordNumber(3));
}

TEST_F(EveningLogFile, ATornTailLeftByACrashIsCutBeforeAppending)
{
    {
        EveningLog log(files, path);
        ASSERT_TRUE(log.append(recordNumber(1)));
    }
    const std::string whole = bytes();
    // The next record's first bytes reached the disk, then the file grew by zeros.
    EveningLog other(files, folder + "/other.log");
    ASSERT_TRUE(other.append(recordNumber(2)));
    const std::string next = platform::readWholeFile(folder + "/other.log").value();
    putBytes(whole + next.substr(0, next.size() - 5) + std::string(300, '\0'));
    EXPECT_EQ(last(), recordNumber(1));

    EveningLog log(files, path);
    ASSERT_TRUE(log.append(recordNumber(3)));
    EXPECT_EQ(last(), recordNumber(3)) << "the new record must not hide behind the torn one";
    EXPECT_EQ(bytes().substr(0, whole.size()), whole);
    EXPECT_EQ(bytes().size(), whole.size() + next.size()) << "nothing left after the record";
}

TEST_F(EveningLogFile, ABadChecksumOrLengthEndsTheReading)
{
    {
        EveningLog log(files, path);
        ASSERT_TRUE(log.append(recordNumber(1)));
        ASSERT_TRUE(log.append(recordNumber(2)));
    }
    const std::string good = bytes();
    std::string flipped = good;
    flipped[flipped.size() - 3] ^= 0x01;
    putBytes(flipped);
    EXPECT_EQ(last(), recordNumber(1));

    std::string longer = good;
    const std::size_t second = good.size() / 2;
    longer[second + 2] = '\x7F'; // a byte count past the file's end
    putBytes(longer);
    EXPECT_EQ(last(), recordNumber(1));

    putBytes(std::string(40, '\0'));
    EXPECT_FALSE(last()) << "zeros, as a power cut may leave, are no record";
}

TEST_F(EveningLogFile, CompactionKeepsTheFileSmallAndTheLastRecord)
{
    EveningLog log(files, path, 1000);
    for (int n = 1; n <= 200; ++n)
        ASSERT_TRUE(log.append(recordNumber(n)));
    EXPECT_LE(bytes().size(), 1000U + 200U);
    EXPECT_EQ(last(), recordNumber(200));
    EXPECT_EQ(filesInFolder(), 1U) << "no temporary file left";
    EXPECT_GT(files.calls(FileCall::rename), 5);
}

TEST_F(EveningLogFile, CompactionFailingAtAnyStepLosesNothing)
{
    for (FileCall step : { FileCall::makeTemp, FileCall::writeAt, FileCall::sync, FileCall::close,
             FileCall::rename, FileCall::openOrCreate }) {
        std::filesystem::remove(path);
        EveningLog log(files, path, 300);
        int n = 0;
        do {
            files.resetCounts();
            ASSERT_TRUE(log.append(recordNumber(++n)));
        } while (files.calls(FileCall::rename) == 0);
        // The next append compacts again; make its step fail, counted from the compaction's
        // first call of that kind (the append's own write and sync come first).
        const int own = step == FileCall::writeAt || step == FileCall::sync ? 2 : 1;
        files.failNth({ step }, step == FileCall::openOrCreate ? 1 : own, EIO);
        ASSERT_TRUE(log.append(recordNumber(++n))) << int(step);
        EXPECT_EQ(last(), recordNumber(n)) << int(step);
        files.clearFaults();
        ASSERT_TRUE(log.append(recordNumber(++n))) << int(step);
        EXPECT_EQ(last(), recordNumber(n)) << int(step);
        EXPECT_EQ(filesInFolder(), 1U) << int(step);
    }
}

// Appends until the power goes at a random call; then every record reported stored must
// still be there, and the log reads to its last stored record or to the one being written.
TEST_F(EveningLogFile, APowerCutAtAnyMomentKeepsEveryStoredRecord)
{
    std::mt19937 random(16);
    for (int run = 0; run < 100; ++run) {
        std::filesystem::remove(path);
        files.cutPowerAfter(std::uniform_int_distribution<std::int64_t>(0, 400)(random));
        int stored = 0;
        {
            EveningLog log(files, path, 700);
            for (int n = 1; n <= 60 && !files.powerCut(); ++n)
                if (log.append(recordNumber(n)))
                    stored = n;
        }
        files.restorePower();
        const std::optional<EveningRecord> found = last();
        if (stored == 0) {
            EXPECT_TRUE(!found || found == recordNumber(1)) << run;
            continue;
        }
        ASSERT_TRUE(found) << run;
        EXPECT_TRUE(found == recordNumber(stored) || found == recordNumber(stored + 1)) << run;
    }
}

// A disk slow to sync must not hold up the interface thread that hands the records over;
// of the records that wait meanwhile only the newest is written, and closing writes it too.
TEST_F(EveningLogFile, HandingOverNeverWaitsForASlowSyncAndTheNewestWaitingRecordIsWritten)
{
    platform::SystemClock clock;
    {
        EveningLogWriter writer(clock, std::make_unique<EveningLog>(files, path));
        files.holdSyncs();
        writer.write(recordNumber(1));
        while (files.syncsHeld() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        writer.write(recordNumber(2));
        writer.write(recordNumber(3));
        EXPECT_EQ(files.syncsHeld(), 1) << "the hand-over waited for the disk";
        const int writesBefore = files.calls(FileCall::writeAt);
        files.releaseSyncs();
        writer.flush();
        EXPECT_EQ(last(), recordNumber(3));
        EXPECT_EQ(files.calls(FileCall::writeAt) - writesBefore, 1) << "record 2 was written";

        files.holdSyncs();
        writer.write(recordNumber(4));
        while (files.syncsHeld() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        writer.write(recordNumber(5));
        files.releaseSyncs();
    }
    EXPECT_EQ(last(), recordNumber(5));
}

} // namespace
} // namespace app
