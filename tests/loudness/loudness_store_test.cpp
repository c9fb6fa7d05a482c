#include "loudness/loudness_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace loudness {
namespace {

class Store : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = testing::TempDir() + "store_"
            + testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        path_ = folder_ + "/loudness.db";
    }

    std::unique_ptr<LoudnessStore> openStore()
    {
        std::string error;
        auto store = LoudnessStore::open(path_, error);
        EXPECT_TRUE(store) << error;
        return store;
    }

    std::string folder_;
    std::string path_;
};

const TrackKey track { "/music/慢四/a.mp3", 4'000'000, 1'700'000'000'123'456'789 };
const Loudness figures { -21.5, 6.25, -3.75 };

void expectFigures(const LoudnessStore::Found& found, const Loudness& expected)
{
    ASSERT_TRUE(found.ok);
    ASSERT_TRUE(found.figures);
    EXPECT_EQ(found.figures->integratedLufs, expected.integratedLufs);
    EXPECT_EQ(found.figures->rangeLu, expected.rangeLu);
    EXPECT_EQ(found.figures->truePeakDbtp, expected.truePeakDbtp);
}

TEST_F(Store, FiguresBelongToTheFileByPathSizeAndTime)
{
    auto store = openStore();
    ASSERT_TRUE(store);
    EXPECT_TRUE(store->find(track).ok);
    EXPECT_FALSE(store->find(track).figures);
    ASSERT_TRUE(store->save(track, figures));
    expectFigures(store->find(track), figures);

    TrackKey resized = track, touched = track, elsewhere = track;
    resized.size += 1;
    touched.modifiedNanos += 1;
    elsewhere.nativePath = "/music/慢四/b.mp3";
    for (const TrackKey& changed : { resized, touched, elsewhere }) {
        auto found = store->find(changed);
        EXPECT_TRUE(found.ok);
        EXPECT_FALSE(found.figures) << changed.nativePath;
    }

    // Measured again after the change: the new figures replace the old ones.
    const Loudness remeasured { -14, 3, -0.5 };
    ASSERT_TRUE(store->save(touched, remeasured));
    expectFigures(store->find(touched), remeasured);
    EXPECT_FALSE(store->find(track).figures);
}

TEST_F(Store, FiguresOutliveTheConnectionAndSilenceKeepsItsInfinities)
{
    const Loudness silence { -HUGE_VAL, 0, -HUGE_VAL };
    TrackKey quiet = track;
    quiet.nativePath = "/music/silence.mp3";
    {
        auto store = openStore();
        ASSERT_TRUE(store);
        ASSERT_TRUE(store->save(track, figures));
        ASSERT_TRUE(store->save(quiet, silence));
    }
    auto store = openStore();
    ASSERT_TRUE(store);
    expectFigures(store->find(track), figures);
    expectFigures(store->find(quiet), silence);
}

TEST_F(Store, AFileThatIsNoDatabaseIsRefusedWithAReason)
{
    std::ofstream(path_) << std::string(8192, 'x');
    std::string error;
    EXPECT_FALSE(LoudnessStore::open(path_, error));
    EXPECT_NE(error.find("not a database"), std::string::npos) << error;

    error.clear();
    EXPECT_FALSE(LoudnessStore::open(folder_ + "/no/such/folder/loudness.db", error));
    EXPECT_FALSE(error.empty());
}

TEST_F(Store, TrackKeyFollowsTheFileOnDisk)
{
    std::string file = folder_ + "/t.mp3";
    std::ofstream(file) << "abc";
    auto before = trackKey(file);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->size, 3);
    std::filesystem::last_write_time(
        file, std::filesystem::last_write_time(file) + std::chrono::seconds(5));
    auto after = trackKey(file);
    ASSERT_TRUE(after);
    EXPECT_NE(after->modifiedNanos, before->modifiedNanos);
    EXPECT_FALSE(trackKey(folder_));
    EXPECT_FALSE(trackKey(folder_ + "/missing.mp3"));
}

TEST_F(Store, AKillInTheMiddleOfWritesKeepsEveryCommittedRowAndAWholeFile)
{
    int reports[2];
    ASSERT_EQ(pipe(reports), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child writes rows as fast as it can and tells the parent each one committed.
        close(reports[0]);
        std::string error;
        auto store = LoudnessStore::open(path_, error);
        for (int i = 0; store; ++i) {
            TrackKey key = track;
            key.nativePath = "/music/" + std::to_string(i) + ".mp3";
            if (!store->save(key, { -20.0 - i % 7, 5, -2 }))
                _exit(3);
            if (write(reports[1], &i, sizeof i) != sizeof i)
                _exit(4);
        }
        _exit(2);
    }
    close(reports[1]);
    int committed = -1;
    for (int n = 0; n < 200; ++n)
        ASSERT_EQ(read(reports[0], &committed, sizeof committed), ssize_t(sizeof committed));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended before the kill: " << status;
    // Reports written before the kill and not read yet are committed rows too.
    for (int next; read(reports[0], &next, sizeof next) == ssize_t(sizeof next);)
        committed = next;
    close(reports[0]);

    auto store = openStore();
    ASSERT_TRUE(store);
    for (int i = 0; i <= committed; ++i) {
        TrackKey key = track;
        key.nativePath = "/music/" + std::to_string(i) + ".mp3";
        auto found = store->find(key);
        ASSERT_TRUE(found.ok && found.figures) << "row " << i << " of " << committed;
        EXPECT_EQ(found.figures->integratedLufs, -20.0 - i % 7);
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    std::string verdict;
    char* error = nullptr;
    sqlite3_exec(
        db, "PRAGMA integrity_check",
        [](void* out, int, char** values, char**) {
            *static_cast<std::string*>(out) += values[0] ? values[0] : "NULL";
            return 0;
        },
        &verdict, &error);
    sqlite3_free(error);
    sqlite3_close(db);
    EXPECT_EQ(verdict, "ok");
}

} // namespace
} // namespace loudness
