// The database tool run as support runs it: tables written byte by byte by the test, the
// tool's printed output, exit codes and the files it leaves behind.

#include "recdb/error_codes.h"
#include "recdb/registry.h"
#include "tests/recdb/test_files.h"
#include "tests/support/tool_run.h"

#include <gtest/gtest.h>

namespace recdb::test {
namespace {

// GBK bytes of the names and values the tables hold; the tool shows them in UTF-8.
const std::string gbkName = "\xc3\xfb\xb3\xc6"; // 名称
const std::string gbkDance = "\xce\xe8\xc7\xfa"; // 舞曲
const std::string gbkNote = "\xb1\xb8\xd7\xa2"; // 备注

using test_support::fileContents;
using test_support::ToolRun;

ToolRun runTool(
    const TempDir& dir, const std::vector<std::string>& arguments, long fileBlocks = 1'000'000)
{
    return test_support::runTool(RECDB_TOOL, arguments, dir.path(""), fileBlocks);
}

// A show-like table: a GBK-named text field, an integer, a memo and a logical.
const std::vector<FieldSpec> sampleFields
    = { { gbkName, 10, 16 }, { "n", 3, 4 }, { "memo", 12, 4 }, { "ok", 7, 1 } };

struct SampleTable {
    explicit SampleTable(const TempDir& dir)
        : path(dir.path("t.dat"))
    {
        DatabaseImage image(sampleFields);
        AuxImage aux;
        const std::int32_t note = aux.addChain(gbkNote);
        const std::size_t first = image.addRecord(1);
        image.setValue(first, 0, gbkDance.data(), gbkDance.size());
        const std::int32_t number = 42; // little-endian, like the files
        image.setValue(first, 1, &number, 4);
        image.setValue(first, 2, &note, 4);
        const unsigned char yes = 1;
        image.setValue(first, 3, &yes, 1);
        const std::size_t gone = image.addRecord(-2);
        image.setValue(gone, 0, "old", 3);
        writeFile(path, image.bytes());
        writeFile(dir.path("t.EDT"), aux.bytes());
    }
    std::string path;
};

const std::string sampleDump = "records 2, next id 3\n"
                               "1\t名称=舞曲\tn=42\tmemo=备注\tok=true\n"
                               "2 deleted\t名称=old\tn=0\tmemo=\tok=false\n";

TEST(RecdbTool, DumpsEveryRecordWithDeletedOnesMarkedAndGbkShownAsUtf8)
{
    TempDir dir;
    SampleTable table(dir);
    const ToolRun run = runTool(dir, { "dump", table.path });
    EXPECT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.out, sampleDump);
}

TEST(RecdbTool, ChecksAGoodTableAndNamesTheDamageInABadOne)
{
    TempDir dir;
    SampleTable table(dir);
    ToolRun run = runTool(dir, { "check", table.path });
    EXPECT_EQ(run.exit, 0) << run.out;
    EXPECT_EQ(run.out.substr(0, 2), "0 ");

    // The memo of the first record points past the end of the auxiliary file.
    Bytes bytes = readFile(table.path);
    const DatabaseImage layout(sampleFields);
    putInt(bytes, std::size_t(layout.dataStart() + layout.offsetOf(2)), 99, 4);
    writeFile(table.path, bytes);
    run = runTool(dir, { "check", table.path });
    EXPECT_EQ(run.exit, 1);
    EXPECT_EQ(run.out,
        "第 1 条记录: " + std::to_string(AuxiliaryAccessFailed) + " 访问数据库的辅助文件失败\n");

    // Cut inside the header: not a database at all, for check and dump alike.
    writeFile(dir.path("short.dat"), Bytes(bytes.begin(), bytes.begin() + 50));
    for (const char* command : { "check", "dump" }) {
        run = runTool(dir, { command, dir.path("short.dat") });
        EXPECT_EQ(run.exit, 1) << command;
        EXPECT_EQ(run.out, std::to_string(NotADatabase) + " 指定文件不是数据库文件\n") << command;
    }
    run = runTool(dir, { "check", dir.path("absent.dat") });
    EXPECT_EQ(run.exit, 1);
    EXPECT_EQ(run.out, std::to_string(FileNotFound) + " 指定文件未找到\n");
}

TEST(RecdbTool, CreatesAnEmptyTableWithItsAuxiliaryFileWhenAFieldKeepsChains)
{
    TempDir dir;
    const std::string path = dir.path("new.dat");
    ToolRun run = runTool(dir, { "create", path, "名称:text:16", "n:int", "memo:memo" });
    ASSERT_EQ(run.exit, 0) << run.out << run.err;
    EXPECT_EQ(fileContents(dir.path("new.EDT")).substr(0, 4), "WEDT");
    run = runTool(dir, { "dump", path });
    EXPECT_EQ(run.out, "records 0, next id 1\n");

    // Names and values typed in UTF-8 are stored in GBK, as the program looks them up.
    ASSERT_EQ(runTool(dir, { "append", path, "舞曲", "1", "备注" }).exit, 0);
    ThrowingReport report;
    Registry registry(report);
    ASSERT_TRUE(registry.openDatabase(path));
    EXPECT_EQ(registry.recordCount(), 1);
    EXPECT_EQ(*registry.readField(Text(gbkName)).as<Text>(), gbkDance);
    EXPECT_EQ(*registry.readField(Text("memo")).as<Text>(), gbkNote);

    // Without a chain field there is no auxiliary file.
    ASSERT_EQ(runTool(dir, { "create", dir.path("plain.dat"), "a:byte", "b:10:8" }).exit, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.path("plain.EDT")));
}

TEST(RecdbTool, CreateRefusesBadDefinitionsAndNeverOverwrites)
{
    TempDir dir;
    SampleTable table(dir);
    const std::string before = fileContents(table.path);
    ToolRun run = runTool(dir, { "create", table.path, "a:int" });
    EXPECT_EQ(run.exit, 1);
    EXPECT_EQ(run.out, "-2 创建数据库失败\n");
    EXPECT_EQ(fileContents(table.path), before);

    const std::string path = dir.path("new.dat");
    run = runTool(dir, { "create", path, "a:int", "A:short" });
    EXPECT_EQ(run.exit, 1);
    EXPECT_EQ(run.out.substr(0, 3), std::to_string(DuplicateFieldName));
    run = runTool(dir, { "create", path, "t:text:0" });
    EXPECT_EQ(run.exit, 1);
    EXPECT_EQ(run.out.substr(0, 3), std::to_string(BadFieldSize));
    for (const char* field : { "a:nosuchtype", "nocolon", "t:text:wide", "a:13" }) {
        run = runTool(dir, { "create", path, field });
        EXPECT_NE(run.exit, 0) << field;
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(dir.path("new.EDT")));
}

TEST(RecdbTool, AppendsTypedValuesAndLeavesTheRestBlank)
{
    TempDir dir;
    SampleTable table(dir);
    ToolRun run = runTool(dir, { "append", table.path, "探戈", "-7", "第二条", "true" });
    ASSERT_EQ(run.exit, 0) << run.out << run.err;
    ASSERT_EQ(runTool(dir, { "append", table.path, "x" }).exit, 0);
    run = runTool(dir, { "dump", table.path });
    EXPECT_EQ(run.out,
        "records 4, next id 5\n"
        "1\t名称=舞曲\tn=42\tmemo=备注\tok=true\n"
        "2 deleted\t名称=old\tn=0\tmemo=\tok=false\n"
        "3\t名称=探戈\tn=-7\tmemo=第二条\tok=true\n"
        "4\t名称=x\tn=0\tmemo=\tok=false\n");
}

TEST(RecdbTool, AppendRefusesValuesThatDoNotFitAndAddsNothing)
{
    TempDir dir;
    SampleTable table(dir);
    const std::string before = fileContents(table.path);
    ToolRun run = runTool(dir, { "append", table.path, "a", "forty" });
    EXPECT_EQ(run.exit, 2);
    EXPECT_EQ(run.err, "recdb: \"forty\" does not fit field n\n");
    for (const std::vector<std::string>& values :
        { std::vector<std::string> { "a", "1", "m", "maybe" }, { "a", "1", "m", "true", "more" },
            { "a", "99999999999" } }) {
        std::vector<std::string> arguments { "append", table.path };
        arguments.insert(arguments.end(), values.begin(), values.end());
        EXPECT_EQ(runTool(dir, arguments).exit, 2) << values.back();
    }
    EXPECT_EQ(fileContents(table.path), before);
    run = runTool(dir, { "append", dir.path("absent.dat"), "a" });
    EXPECT_EQ(run.exit, 1);
    EXPECT_EQ(run.out.substr(0, 2), std::to_string(FileNotFound));
}

// The record the tool cannot fill is taken out again rather than left blank or half filled.
TEST(RecdbTool, AppendsNothingWhenAValueCannotBeWritten)
{
    TempDir dir;
    DatabaseImage image({ { "name", 10, 16 }, { "memo", 12, 4 } });
    writeFile(dir.path("t.dat"), image.bytes());
    writeFile(dir.path("t.EDT"), AuxImage().bytes());
    ASSERT_EQ(runTool(dir, { "append", dir.path("t.dat"), "first", "note" }).exit, 0);

    // The auxiliary file holds its header and the first note (1,024 bytes): the second
    // note's block cannot be added, though its record could.
    EXPECT_NE(runTool(dir, { "append", dir.path("t.dat"), "second", "note" }, 2).exit, 0);

    ThrowingReport report;
    Registry registry(report);
    ASSERT_TRUE(registry.openDatabase(dir.path("t.dat")));
    EXPECT_EQ(registry.recordCount(), 1);
    EXPECT_EQ(*registry.readField(Text("name")).as<Text>(), "first");
}

TEST(RecdbTool, BadArgumentsShowTheUsageAndFail)
{
    TempDir dir;
    SampleTable table(dir);
    const std::vector<std::vector<std::string>> cases { {}, { "dump" }, { "frob", table.path },
        { "dump", table.path, "extra" }, { "check", table.path, "extra" },
        { "create", dir.path("new.dat") } };
    for (const auto& arguments : cases) {
        const ToolRun run = runTool(dir, arguments);
        const std::string named = arguments.empty() ? "(none)" : arguments[0];
        EXPECT_EQ(run.exit, 2) << named;
        EXPECT_EQ(run.err.substr(0, 13), "usage: recdb ") << named;
        EXPECT_EQ(run.out, "") << named;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path("new.dat")));
}

} // namespace
} // namespace recdb::test
