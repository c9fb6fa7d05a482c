#include "faulty_file_system.h"
#include "platform/encoding.h"
#include "platform/file_search.h"
#include "platform/whole_files.h"
#include "runtime/files.h"
#include "temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace runtime {
namespace {

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
    // The first and the last chunk of the copy, each cut short by a full disk.
    for (int failing : { 1, 2 }) {
        support::FaultyFileSystem files;
        files.failNth({ support::FileCall::writeAt }, failing, ENOSPC, 1000);
        EXPECT_FALSE(platform::copyFileReplacing(
            dir.nativePath("show.dat"), dir.nativePath("dqqf.dat"), files));
        EXPECT_EQ(dir.read("dqqf.dat"), "old show");
        EXPECT_EQ(entries(), 2u) << "the temporary file is left behind";
    }
    for (support::FileCall step : { support::FileCall::setPermissions, support::FileCall::sync,
             support::FileCall::close, support::FileCall::rename }) {
        support::FaultyFileSystem files;
        files.failEvery({ step }, EIO);
        EXPECT_FALSE(platform::replaceFile(dir.nativePath("dqqf.dat"), large, files));
        EXPECT_EQ(dir.read("dqqf.dat"), "old show");
        EXPECT_EQ(entries(), 2u);
    }
    support::FaultyFileSystem working;
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

// A hall folder may hold spaces, quotes and "%": each argument stays one word of the Exec line.
TEST_F(Files, AutostartArgumentsAreQuotedOneByOne)
{
    setenv("XDG_CONFIG_HOME", dir.native().c_str(), 1);
    dir.write("dancehall", "");
    ASSERT_TRUE(
        registerAutostart("舞厅播放器", dir.path("dancehall"), { "--data", "/舞厅 \"A\" 100%" }));
    std::string entry = platform::readWholeFile(
        dir.native() + "/autostart/" + platform::gbkToUtf8("舞厅播放器") + ".desktop")
                            .value_or("");
    EXPECT_NE(entry.find("Exec=\"" + dir.nativePath("dancehall") + "\" \"--data\" " + "\"/"
                  + platform::gbkToUtf8("舞厅") + " \\\\\"A\\\\\" 100%%\"\n"),
        std::string::npos)
        << entry;
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(Files, AnUnwritableDestinationIsNeitherReplacedNorCopiedOver)
{
    dir.write("show.dat", "new show");
    dir.write("dqqf.dat", "old show");
    // The system says no to writing the destination (a read-only file; root is never told so).
    support::FaultyFileSystem files;
    files.failEvery({ support::FileCall::openForWriting }, EACCES);
    EXPECT_FALSE(platform::replaceFile(dir.nativePath("dqqf.dat"), "new", files));
    EXPECT_FALSE(
        platform::copyFileReplacing(dir.nativePath("show.dat"), dir.nativePath("dqqf.dat"), files));
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
