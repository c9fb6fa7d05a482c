#include "faulty_file_system.h"
#include "runtime/hall_folder.h"
#include "temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace runtime {
namespace {

namespace fs = std::filesystem;

class HallFolder : public ::testing::Test {
protected:
    HallFolder()
    {
        fs::create_directories(defaults / "lb");
        for (const char* file :
            { "dqqf.dat", "dqqfls.dat", "qfsz.dat", "ss.dat", "loudness.ini", "lb/1.jpg" })
            std::ofstream(defaults / file) << "default " << file;
        std::ofstream(defaults / "dancehall") << "the program";
    }
    static std::string read(const fs::path& file)
    {
        return platform::readWholeFile(file.string()).value_or("<missing>");
    }

    test::TempDir dir;
    const fs::path defaults = fs::path(dir.native()) / "dist";
};

TEST_F(HallFolder, TheCommandLineComesBeforeTheEnvironment)
{
    setenv("DANCEHALL_DATA", "/halls/env", 1);
    setenv("XDG_DATA_HOME", "/data", 1);
    setenv("HOME", "/home/op", 1);
    EXPECT_EQ(chooseHallFolder(std::string("/halls/cli/")), "/halls/cli/");
    EXPECT_EQ(chooseHallFolder({}), "/halls/env");
    unsetenv("DANCEHALL_DATA");
    EXPECT_EQ(chooseHallFolder({}), "/data/dancehall");
    setenv("XDG_DATA_HOME", "relative", 1); // not a valid base directory
    EXPECT_EQ(chooseHallFolder({}), "/home/op/.local/share/dancehall");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(chooseHallFolder({}), "/home/op/.local/share/dancehall");
    unsetenv("HOME");
    EXPECT_FALSE(chooseHallFolder({}));
    EXPECT_EQ(
        chooseHallFolder(std::string("rel/hall")), (fs::current_path() / "rel/hall").string());
}

TEST_F(HallFolder, ANewHallIsSeededWithTheDefaultsOnly)
{
    const fs::path hall = fs::path(dir.native()) / "share" / "dancehall";
    EXPECT_FALSE(prepareHallFolder(hall.string(), defaults.string()));
    EXPECT_EQ(read(hall / "qfsz.dat"), "default qfsz.dat");
    EXPECT_EQ(read(hall / "ss.dat"), "default ss.dat");
    EXPECT_EQ(read(hall / "loudness.ini"), "default loudness.ini"); // even loudness on
    EXPECT_EQ(read(hall / "lb" / "1.jpg"), "default lb/1.jpg");
    EXPECT_FALSE(fs::exists(hall / "dancehall"));
    // No seeding folder is left beside it.
    EXPECT_EQ(
        std::distance(fs::directory_iterator(hall.parent_path()), fs::directory_iterator()), 1);
}

// Seeding happens once: later starts, and a changed set of defaults, leave the data alone.
TEST_F(HallFolder, AnExistingHallIsUsedAsItIs)
{
    const fs::path hall = fs::path(dir.native()) / "hall";
    fs::create_directory(hall);
    std::ofstream(hall / "DQQF.DAT") << "the operator's show";
    EXPECT_FALSE(prepareHallFolder(hall.string(), defaults.string()));
    EXPECT_EQ(read(hall / "DQQF.DAT"), "the operator's show");
    EXPECT_FALSE(fs::exists(hall / "dqqf.dat"));
    EXPECT_FALSE(fs::exists(hall / "ss.dat"));
    EXPECT_FALSE(fs::exists(hall / "loudness.ini")); // even loudness stays off
    EXPECT_TRUE(fs::is_directory(hall / "lb")); // saving needs it
}

TEST_F(HallFolder, ProblemsAreReportedNotPapered)
{
    const fs::path file = fs::path(dir.native()) / "file";
    std::ofstream(file) << "x";
    EXPECT_TRUE(prepareHallFolder(file.string(), defaults.string()));
    EXPECT_TRUE(prepareHallFolder((file / "hall").string(), defaults.string()));
    EXPECT_TRUE(prepareHallFolder((fs::path(dir.native()) / "new").string(), std::nullopt));
    EXPECT_FALSE(fs::exists(fs::path(dir.native()) / "new"));
}

// A start that fails while seeding (a full disk, a copy refused, the final rename) reports it
// and leaves neither a half-seeded hall nor its temporary folder; the next start seeds anew.
TEST_F(HallFolder, SeedingThatFailsLeavesNoTrace)
{
    const fs::path parent = fs::path(dir.native()) / "share";
    const fs::path hall = parent / "dancehall";
    // Six copies each end in a rename; the seventh puts the hall in place.
    const std::pair<support::FileCall, int> failures[]
        = { { support::FileCall::writeAt, 2 }, { support::FileCall::makeFolder, 2 },
              { support::FileCall::rename, 2 }, { support::FileCall::rename, 7 } };
    for (auto [call, nth] : failures) {
        support::FaultyFileSystem files;
        files.failNth({ call }, nth, ENOSPC);
        EXPECT_TRUE(prepareHallFolder(hall.string(), defaults.string(), files)) << int(call);
        EXPECT_FALSE(fs::exists(hall)) << int(call);
        EXPECT_TRUE(fs::is_empty(parent)) << int(call);
        if (nth == 7) { // every copy went in: the last step failed
            EXPECT_EQ(files.calls(support::FileCall::rename), 7);
        }
    }
    EXPECT_FALSE(prepareHallFolder(hall.string(), defaults.string()));
    EXPECT_EQ(read(hall / "lb" / "1.jpg"), "default lb/1.jpg");
}

} // namespace
} // namespace runtime
