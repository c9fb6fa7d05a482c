#include "platform/posix/encoding.h"
#include "platform/posix/file_search.h"
#include "platform/posix/files.h"
#include "runtime/files.h"
#include "temp_dir.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>

namespace runtime {
namespace {

// System calls that fail on the Nth write, or at the rename.
class FailingFileOps : public platform::FileOps {
public:
    int failingWrite = -1;
    bool failRename = false;
    int writes = 0;

    ssize_t write(int fd, const void* buffer, std::size_t size) override
    {
        if (++writes == failingWrite) {
            errno = ENOSPC;
            return -1;
        }
        return platform::FileOps::write(fd, buffer, std::min<std::size_t>(size, 4096));
    }
    int rename(const char* from, const char* to) override
    {
        return failRename ? -1 : platform::FileOps::rename(from, to);
    }
};

class Files : public ::testing::Test {
protected:
    test::TempDir dir;

    std::size_t entries() const
    {
        auto it = std::filesystem::directory_iterator(dir.native());
        return static_cast<std::size_t>(std::distance(it, {}));
    }
};

TEST_F(Files, CopyReplacesAnExistingDestination)
{
    dir.write("show.dat", "new show");
    dir.write("dqqf.dat", "old show, longer than the new one");
    EXPECT_TRUE(copyFile(dir.path("show.dat"), dir.path("dqqf.dat")));
    EXPECT_EQ(dir.read("dqqf.dat"), "new show");
    EXPECT_EQ(entries(), 2u);
}

TEST_F(Files, AnInterruptedCopyLeavesTheOldDestinationWhole)
{
    std::string large(100000, 'n');
    dir.write("show.dat", large);
    dir.write("dqqf.dat", "old show");
    for (int failing : { 1, 3 }) {
        FailingFileOps ops;
        ops.failingWrite = failing;
        EXPECT_FALSE(platform::copyFileReplacing(
            dir.nativePath("show.dat"), dir.nativePath("dqqf.dat"), ops));
        EXPECT_EQ(dir.read("dqqf.dat"), "old show");
        EXPECT_EQ(entries(), 2u) << "the temporary file is left behind";
    }
    FailingFileOps ops;
    ops.failRename = true;
    EXPECT_FALSE(platform::replaceFile(dir.nativePath("dqqf.dat"), large, ops));
    EXPECT_EQ(dir.read("dqqf.dat"), "old show");
    EXPECT_EQ(entries(), 2u);
    FailingFileOps working;
    EXPECT_TRUE(platform::copyFileReplacing(
        dir.nativePath("show.dat"), dir.nativePath("dqqf.dat"), working));
    EXPECT_EQ(dir.read("dqqf.dat"), large);
}

TEST_F(Files, CopyFailsWithoutASourceAndOntoADirectory)
{
    dir.write("a.dat", "a");
    std::filesystem::create_directory(dir.nativePath("lb"));
    EXPECT_FALSE(copyFile(dir.path("missing.dat"), dir.path("b.dat")));
    EXPECT_FALSE(copyFile(dir.path("lb"), dir.path("b.dat")));
    EXPECT_FALSE(copyFile(dir.path("a.dat"), dir.path("lb")));
    EXPECT_FALSE(fileExists(dir.path("b.dat")));
}

TEST_F(Files, DeleteRemovesFilesOnly)
{
    dir.write("a.dat", "a");
    std::filesystem::create_directory(dir.nativePath("lb"));
    EXPECT_TRUE(deleteFile(dir.path("a.dat")));
    EXPECT_FALSE(deleteFile(dir.path("a.dat")));
    EXPECT_FALSE(deleteFile(dir.path("lb")));
}

TEST_F(Files, ExistsMatchesWildcardsWithoutRegardToCase)
{
    dir.write("Show One.DAT", "");
    std::filesystem::create_directory(dir.nativePath("lb"));
    EXPECT_TRUE(fileExists(dir.path("show one.dat")));
    EXPECT_TRUE(fileExists(dir.path("*.dat")));
    EXPECT_TRUE(fileExists(dir.path("show???e.*")));
    EXPECT_TRUE(fileExists(dir.path("L?")));
    EXPECT_FALSE(fileExists(dir.path("show??e.*")));
    EXPECT_FALSE(fileExists(dir.path("*.mp3")));
    EXPECT_FALSE(fileExists(dir.path("none/*")));
    EXPECT_FALSE(fileExists(""));
}

TEST(Wildcard, CountsCharactersNotBytes)
{
    auto match = [](const char* pattern, const char* name) {
        return platform::wildcardMatch(platform::gbkToUtf8(pattern), platform::gbkToUtf8(name));
    };
    EXPECT_TRUE(match("??.dat", "场次.dat"));
    EXPECT_TRUE(match("*次*", "新建场次.DAT"));
    EXPECT_FALSE(match("?.dat", "场次.dat"));
    EXPECT_TRUE(match("a*b*c", "aXbYbc"));
    EXPECT_FALSE(match("a*b*c", "aXbYbd"));
}

TEST_F(Files, NamesWithoutAGbkCodeSurvive)
{
    // 𝄞 has no GBK code; it reaches the program as a four-byte GB18030 sequence.
    std::u8string utf8Name = u8"舞曲\U0001D11E.mp3";
    std::string onDisk(utf8Name.begin(), utf8Name.end());
    Text name = platform::utf8ToGbk(onDisk);
    ASSERT_EQ(name.size(), 12u);
    dir.write("src", "x");
    EXPECT_TRUE(copyFile(dir.path("src"), dir.path(name)));
    EXPECT_TRUE(std::filesystem::exists(dir.native() + "/" + onDisk));
    EXPECT_TRUE(fileExists(dir.path(name)));
    EXPECT_TRUE(fileExists(dir.path("舞曲?.MP3")));
}

TEST(Encoding, EveryGbkByteStringComesBackUnchanged)
{
    unsigned seed = 7;
    for (int i = 0; i < 20000; ++i) {
        std::string gbk;
        for (int k = 0; k < 1 + i % 9; ++k) {
            seed = seed * 1103515245 + 12345;
            gbk.push_back(static_cast<char>(seed >> 16));
        }
        ASSERT_EQ(platform::utf8ToGbk(platform::gbkToUtf8(gbk)), gbk);
    }
    EXPECT_EQ(platform::gbkToUtf8("新建场次"), "\xE6\x96\xB0\xE5\xBB\xBA\xE5\x9C\xBA\xE6\xAC\xA1");
}

TEST_F(Files, AutostartEntryIsWrittenOnlyForAnExistingTarget)
{
    setenv("XDG_CONFIG_HOME", dir.native().c_str(), 1);
    EXPECT_FALSE(registerAutostart("舞厅播放器", dir.path("播放器.exe")));
    EXPECT_FALSE(std::filesystem::exists(dir.native() + "/autostart"));
    dir.write("播放器.exe", "");
    EXPECT_TRUE(registerAutostart("舞厅播放器", dir.path("播放器.exe")));
    std::string entry = platform::readWholeFile(
        dir.native() + "/autostart/" + platform::gbkToUtf8("舞厅播放器") + ".desktop")
                            .value_or("");
    EXPECT_NE(entry.find("Exec=\"" + dir.nativePath("播放器.exe") + "\"\n"), std::string::npos)
        << entry;
    unsetenv("XDG_CONFIG_HOME");
}

// The system says no to writing the destination (a read-only file; root is never told so).
class ReadOnlyDestination : public platform::FileOps {
public:
    int open(const char* path, int flags, mode_t mode) override
    {
        if ((flags & O_ACCMODE) != O_RDONLY) {
            errno = EACCES;
            return -1;
        }
        return platform::FileOps::open(path, flags, mode);
    }
};

TEST_F(Files, AnUnwritableDestinationIsNeitherReplacedNorCopiedOver)
{
    dir.write("show.dat", "new show");
    dir.write("dqqf.dat", "old show");
    ReadOnlyDestination ops;
    EXPECT_FALSE(platform::replaceFile(dir.nativePath("dqqf.dat"), "new", ops));
    EXPECT_FALSE(
        platform::copyFileReplacing(dir.nativePath("show.dat"), dir.nativePath("dqqf.dat"), ops));
    EXPECT_EQ(dir.read("dqqf.dat"), "old show");
    EXPECT_EQ(entries(), 2u);
}

TEST(ReplacementLeftovers, AreTheTemporaryNamesOfReplacedFilesOnly)
{
    for (const char* name : { ".dqqf.dat.a1B2c3", ".SS.DAT.000000", ".\xD6\xDC.dat.zzzzzz" })
        EXPECT_TRUE(platform::isReplacementLeftover(name, ".dat")) << name;
    for (const char* name : { "dqqf.dat.a1B2c3", ".dqqf.dat.a1B2c", ".dqqf.txt.a1B2c3",
             ".dqqf.dat.a1-2c3", ".dat.a1B2c3", ".dancehall.lock", ".dqqf.dat" })
        EXPECT_FALSE(platform::isReplacementLeftover(name, ".dat")) << name;
}

} // namespace
} // namespace runtime
