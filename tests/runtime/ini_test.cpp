#include "faulty_file_system.h"
#include "runtime/ini_file.h"
#include "runtime/ini_text.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace runtime {
namespace {

const std::string handEdited = "; settings of the styles\r\n"
                               "\r\n"
                               "[慢四]\r\n"
                               "音量 = 40000\r\n"
                               "限时=5   ; minutes\r\n"
                               "1=1\r\n"
                               "\r\n"
                               "  [Cha Cha]\r\n"
                               "1c=\"3\"\r\n";

TEST(IniText, FindsEntriesLikeThePrivateProfileReader)
{
    EXPECT_EQ(findIniValue(handEdited, "慢四", "音量"), "40000");
    EXPECT_EQ(findIniValue(handEdited, "cha cha", "1C"), "3");
    EXPECT_EQ(findIniValue(handEdited, "慢四", "限时"), "5   ; minutes");
    EXPECT_FALSE(findIniValue(handEdited, "慢四", "1c"));
    EXPECT_FALSE(findIniValue(handEdited, "快四", "音量"));
    EXPECT_EQ(findIniValue("[a]\nk=v", "a", "k"), "v");
}

TEST(IniText, CaseFoldingLeavesDoubleByteCharactersAlone)
{
    // B0 41 and B0 61 are different characters whose trail bytes are 'A' and 'a'.
    std::string content = "[s]\r\n\xB0\x41=upper\r\n";
    EXPECT_EQ(findIniValue(content, "S", "\xB0\x41"), "upper");
    EXPECT_FALSE(findIniValue(content, "s", "\xB0\x61"));
}

TEST(IniText, BracketBytesInsideDoubleByteCharactersCloseNoSection)
{
    // B0 5D is one character whose trail byte is "]"; the name is both bytes.
    std::string name = "\xB0\x5D";
    EXPECT_EQ(findIniValue("[" + name + "]\r\nk=v\r\n", name, "k"), "v");
    EXPECT_FALSE(findIniValue("[" + name + "]\r\nk=v\r\n", "\xB0", "k"));
    auto written = editIni("", name, "k", "w");
    EXPECT_EQ(written, "[" + name + "]\r\nk=w\r\n");
    EXPECT_EQ(findIniValue(*written, name, "k"), "w");
    EXPECT_FALSE(editIni("", "\xB0]]", "k", "w"));
    EXPECT_FALSE(editIni("", "s\xB0", "k", "w")); // its "]" would be the trail byte
}

TEST(IniText, ChangingAValueTouchesOnlyItsLine)
{
    std::string expected = handEdited;
    expected.replace(expected.find("音量 = 40000"), 12, "音量=30000");
    EXPECT_EQ(editIni(handEdited, "慢四", "音量", "30000"), expected);
}

TEST(IniText, NewKeyGoesAfterTheLastEntryOfItsSection)
{
    std::string expected = handEdited;
    expected.insert(expected.find("\r\n\r\n  [Cha") + 2, "2=0\r\n");
    EXPECT_EQ(editIni(handEdited, "慢四", "2", "0"), expected);
}

TEST(IniText, NewSectionIsAppendedWithTheFilesLineEnd)
{
    EXPECT_EQ(editIni(handEdited, "快四", "音量", ""), handEdited + "\r\n[快四]\r\n音量=\r\n");
    EXPECT_EQ(editIni("[a]\nk=v", "b", "k", "w"), "[a]\nk=v\n\n[b]\nk=w\n");
    EXPECT_EQ(editIni("", "b", "k", "w"), "[b]\r\nk=w\r\n");
}

TEST(IniText, MissingValueDeletesTheKeyAndMissingKeyTheSection)
{
    std::string withoutKey = handEdited;
    withoutKey.erase(withoutKey.find("1=1\r\n"), 5);
    EXPECT_EQ(editIni(handEdited, "慢四", "1", std::nullopt), withoutKey);
    EXPECT_EQ(editIni(handEdited, "CHA CHA", std::nullopt, std::nullopt),
        handEdited.substr(0, handEdited.find("  [Cha")));
    EXPECT_EQ(editIni(handEdited, "快四", std::nullopt, std::nullopt), handEdited);
}

TEST(IniText, RefusesEditsThatWouldBreakTheLayout)
{
    EXPECT_FALSE(editIni(handEdited, "慢四", "k", "two\r\nlines"));
    EXPECT_FALSE(editIni(handEdited, "a]b", "k", "v"));
    EXPECT_FALSE(editIni(handEdited, "慢四", "k=", "v"));
    EXPECT_FALSE(editIni(handEdited, " ", "k", "v"));
    EXPECT_FALSE(editIni(handEdited, "慢四", "", "v"));
}

TEST(IniText, RefusesAnEntryThatWouldReadAsASectionHeader)
{
    EXPECT_FALSE(editIni("[s]\r\n", "s", "[a", "b]"));
    EXPECT_FALSE(editIni("[s]\r\n", "s", " [t]", ""));
    EXPECT_EQ(editIni("[s]\r\n", "s", "a]", "[b"), "[s]\r\na]=[b\r\n");
}

TEST(IniText, DuplicateSectionsAreWrittenWhereTheyAreRead)
{
    // Reads use the first section of a name; a key only the second one holds must not take
    // the new value there, where no read finds it.
    std::string content = "[s]\nx=1\n[t]\n[S]\nk=2\n";
    auto edited = editIni(content, "s", "k", "3");
    EXPECT_EQ(edited, "[s]\nx=1\nk=3\n[t]\n[S]\n");
    EXPECT_EQ(findIniValue(*edited, "s", "k"), "3");
    EXPECT_EQ(editIni("[s]\nk=1\n[s]\nk=2\n", "s", "k", "3"), "[s]\nk=3\n[s]\n");
}

TEST(IniText, ALoneCarriageReturnAtTheEndIsCompletedNotDoubled)
{
    EXPECT_EQ(editIni("[s]\r\nk=1\r", "t", "k", "2"), "[s]\r\nk=1\r\n\r\n[t]\r\nk=2\r\n");
    EXPECT_EQ(editIni("[s]\r\nk=1\r", "s", "j", "2"), "[s]\r\nk=1\r\nj=2\r\n");
    EXPECT_EQ(editIni("[s]\nk=1\r", "s", "j", "2"), "[s]\nk=1\r\nj=2\n");
}

TEST(IniText, MalformedContentReadsAsMissing)
{
    std::string junk;
    for (int i = 0; i < 4096; ++i) {
        junk.push_back(static_cast<char>((i * 7919) & 0xFF));
    }
    std::string content
        = junk + "\n[s]\nno equals sign\n[broken\n" + std::string(1 << 20, 'x') + "\nk=v\n" + junk;
    EXPECT_FALSE(findIniValue(content, "s", "no equals sign"));
    EXPECT_FALSE(findIniValue(content, "broken", "k"));
    EXPECT_EQ(findIniValue(content, "s", "k"), "v");
    auto edited = editIni(content, "s", "k", "w");
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->size(), content.size());
}

class IniFile : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string file = dir.path("ss.dat");
};

TEST_F(IniFile, FirstWriteCreatesTheFileWithCrLf)
{
    EXPECT_EQ(readIniEntry(file, "慢四", "音量", Text("65535")), "65535");
    EXPECT_TRUE(writeIniEntry(file, "慢四", Text("音量"), Text("20000")));
    EXPECT_EQ(dir.read("ss.dat"), "[慢四]\r\n音量=20000\r\n");
    EXPECT_EQ(readIniEntry(file, "慢四", "音量"), "20000");
}

TEST_F(IniFile, LeadingBlanksAreSkippedAndEmptyNamesReadNothing)
{
    dir.write("ss.dat", handEdited);
    EXPECT_EQ(readIniEntry("\t " + file, "\x01 慢四", "  音量"), "40000");
    EXPECT_EQ(readIniEntry(file, "慢四", " ", Text("default")), "");
    EXPECT_EQ(readIniEntry(file, "", "音量", Text("default")), "");
    EXPECT_EQ(readIniEntry(" ", "慢四", "音量", Text("default")), "");
}

TEST_F(IniFile, LongValuesAreCut)
{
    std::string value(20000, 'v');
    EXPECT_TRUE(writeIniEntry(file, "s", Text("k"), value));
    EXPECT_EQ(readIniEntry(file, "s", "k"), value.substr(0, maxIniValueLength));
}

TEST_F(IniFile, InvalidGbkBytesSurviveAWriteAndRead)
{
    Text value = "\x81\x20\xFF\x80\xA1";
    EXPECT_TRUE(writeIniEntry(file, "s", Text("k"), value));
    EXPECT_EQ(readIniEntry(file, "s", "k"), value);
}

TEST_F(IniFile, WriteIntoAMissingDirectoryFails)
{
    EXPECT_FALSE(writeIniEntry(dir.path("none/ss.dat"), "s", Text("k"), Text("v")));
}

// A section of many keys is one replacement of the file: whole, or not at all when any key
// cannot be written; the rest of the file keeps its bytes.
TEST_F(IniFile, ASectionIsWrittenInOneReplacementOrNotAtAll)
{
    dir.write("ss.dat", "; hand notes\r\n[慢四]\r\n1=0\r\n音量 = 40\r\n\r\n[快四]\r\n1=1\r\n");
    const std::vector<std::pair<Text, Text>> keys { { "1", "1" }, { "2", "0" }, { "音量", "80" } };
    EXPECT_TRUE(writeIniSection(file, "慢四", keys));
    EXPECT_EQ(dir.read("ss.dat"),
        "; hand notes\r\n[慢四]\r\n1=1\r\n音量=80\r\n2=0\r\n\r\n[快四]\r\n1=1\r\n");

    const std::string before = dir.read("ss.dat");
    EXPECT_FALSE(writeIniSection(file, "慢四", { { "1", "0" }, { "bad=key", "1" } }));
    EXPECT_EQ(dir.read("ss.dat"), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.native()),
                  std::filesystem::directory_iterator()),
        1);
}

// A read-only settings file is not replaced behind its back: the write fails as writing into
// it would.
TEST_F(IniFile, AReadOnlyFileIsNotReplaced)
{
    dir.write("ss.dat", "[s]\r\nk=old\r\n");
    std::filesystem::permissions(dir.nativePath("ss.dat"), std::filesystem::perms::owner_read);
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only files";
    EXPECT_FALSE(writeIniEntry(file, "s", Text("k"), Text("new")));
    EXPECT_FALSE(writeIniSection(file, "s", { { "k", "new" } }));
    EXPECT_EQ(dir.read("ss.dat"), "[s]\r\nk=old\r\n");
}

// A write that fails at any step of the replacement, even with half the new content on disk
// already, leaves the old file whole and nothing beside it.
TEST_F(IniFile, AWriteFailingMidwayLeavesTheOldFileWhole)
{
    const std::string old = "[s]\r\nk=old\r\n" + std::string(100000, ';') + "\r\n";
    dir.write("ss.dat", old);
    const std::vector<std::pair<support::FileCall, std::int64_t>> failures {
        { support::FileCall::writeAt, 50000 }, { support::FileCall::sync, 0 },
        { support::FileCall::close, 0 }, { support::FileCall::rename, 0 }
    };
    for (const auto& [step, kept] : failures) {
        support::FaultyFileSystem files;
        files.failNth({ step }, 0, step == support::FileCall::writeAt ? ENOSPC : EIO, kept);
        EXPECT_FALSE(writeIniEntry(file, "s", Text("k"), Text("new"), files));
        EXPECT_FALSE(writeIniSection(file, "s", { { "k", "new" } }, files));
        EXPECT_TRUE(dir.read("ss.dat") == old) << "after a failing step " << int(step);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.native()),
                      std::filesystem::directory_iterator()),
            1);
    }
    EXPECT_EQ(readIniEntry(file, "s", "k"), "old");
}

// A file that is there but cannot be read is not taken for a missing one and overwritten with
// the single new entry; only a file that is truly missing starts empty.
TEST_F(IniFile, AnUnreadableFileIsNotOverwritten)
{
    dir.write("ss.dat", "[s]\r\nk=old\r\nother=kept\r\n");
    support::FaultyFileSystem unreadable;
    unreadable.failEvery({ support::FileCall::openForReading }, EACCES);
    EXPECT_EQ(readIniEntry(file, "s", "k", Text("default"), unreadable), "default");
    EXPECT_FALSE(writeIniEntry(file, "s", Text("k"), Text("new"), unreadable));
    EXPECT_EQ(dir.read("ss.dat"), "[s]\r\nk=old\r\nother=kept\r\n");

    // Whether the missing file is there at all cannot be told: nothing is written either.
    support::FaultyFileSystem unknown;
    unknown.failEvery({ support::FileCall::linkStatus }, EIO);
    EXPECT_FALSE(writeIniEntry(dir.path("new.ini"), "s", Text("k"), Text("v"), unknown));
    EXPECT_TRUE(writeIniEntry(dir.path("new.ini"), "s", Text("k"), Text("v"), unreadable));
    EXPECT_EQ(dir.read("new.ini"), "[s]\r\nk=v\r\n");
}

} // namespace
} // namespace runtime
