#include "runtime/file_names.h"
#include "runtime/files.h"
#include "temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace runtime {
namespace {

std::string utf8(const char* gbk)
{
    return platform::gbkToUtf8(gbk);
}

const std::string gbkSunday = "\xD6\xDC\xC8\xD5"; // 周日 in GBK bytes

class FileNames : public ::testing::Test {
protected:
    test::TempDir dir;
    void make(const std::string& nativeName, const std::string& content = "x")
    {
        std::ofstream(dir.native() + "/" + nativeName) << content;
    }
};

TEST(FileNameComparison, FoldsSingleByteLettersOnly)
{
    EXPECT_TRUE(sameFileName("DQQF.DAT", "dqqf.dat"));
    EXPECT_TRUE(sameFileName("周六.DAT", "周六.dat"));
    EXPECT_FALSE(sameFileName("a.dat", "a.dat "));
    // 0xB0 0x41 and 0xB0 0x61 are two different characters: the trail byte is no letter.
    EXPECT_FALSE(sameFileName("\xB0\x41.dat", "\xB0\x61.dat"));
}

TEST(FileNameComparison, ValidUtf8IsConvertedAndAnythingElseIsTakenAsGbk)
{
    EXPECT_EQ(entryName(utf8("周日.dat")), "周日.dat");
    EXPECT_EQ(entryName(gbkSunday + ".DAT"), gbkSunday + ".DAT");
    EXPECT_EQ(entryName("plain.dat"), "plain.dat");
}

TEST_F(FileNames, APathReachesTheEntryOfTheSameNameInAnyCaseOrEncoding)
{
    make(gbkSunday + ".DAT", "gbk");
    make(utf8("周六.Dat"), "utf8");
    EXPECT_EQ(resolvedPath(dir.path("周日.dat")), dir.native() + "/" + gbkSunday + ".DAT");
    EXPECT_EQ(resolvedPath(dir.path("周六.dat")), dir.native() + "/" + utf8("周六.Dat"));
    // A new file is named in UTF-8.
    EXPECT_EQ(resolvedPath(dir.path("周五.dat")), dir.native() + "/" + utf8("周五.dat"));
    EXPECT_TRUE(copyFile(dir.path("周日.dat"), dir.path("周六.DAT")));
    EXPECT_EQ(dir.read("周六.Dat"), "gbk");
    EXPECT_TRUE(deleteFile(dir.path("周日.dat")));
    EXPECT_FALSE(std::filesystem::exists(dir.native() + "/" + gbkSunday + ".DAT"));
}

TEST_F(FileNames, FilesOfAKindAreListedByNameWithoutFolders)
{
    make(utf8("周日.dat"));
    make(gbkSunday.substr(0, 2) + "\xC1\xF9.DAT"); // 周六 in GBK
    make("B.dat");
    make("a.dat");
    make("notes.txt");
    std::filesystem::create_directory(dir.native() + "/folder.dat");
    std::vector<Text> names;
    for (const FolderFile& file : filesEndingIn(dir.path(""), ".dat"))
        names.push_back(file.name);
    EXPECT_EQ(names, (std::vector<Text> { "a.dat", "B.dat", "周六.DAT", "周日.dat" }));
    EXPECT_TRUE(filesEndingIn(dir.path("missing"), ".dat").empty());
}

} // namespace
} // namespace runtime
