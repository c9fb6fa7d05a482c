// Bringing an existing installation's folder into a hall folder: files written here by an
// independent writer of the table format, under the names such a folder really has.

#include "app/hall_import.h"
#include "app/import_commit.h"
#include "app/single_instance.h"
#include "faulty_file_system.h"

#include "platform/encoding.h"
#include "private_session.h"
#include "recdb/database.h"
#include "table_file_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>

namespace app {
namespace {

namespace fs = std::filesystem;
using test::Cell;
using test::StoredType;

// Literals here are GBK, as an old installation's file names are.
const std::string saturdayShow = "周六晚场";
const std::string everyTypeShow = "全部类型";

const std::string longMemo = [] {
    std::string text;
    for (int i = 0; text.size() < 1200; ++i)
        text += "第" + std::to_string(i) + "首;";
    return text.substr(0, 1200);
}();
const std::string byteSet = [] {
    std::string bytes(700, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    return bytes;
}();

test::TableFile everyTypeTable()
{
    test::TableFile table = test::slotTable({ { "1", "慢四", "月亮代表我的心", "C:\\歌\\1.mp3" } });
    table.columns.insert(table.columns.end(),
        { { "字节", StoredType::Byte }, { "短整数", StoredType::Short },
            { "整数", StoredType::Integer }, { "长整数", StoredType::Long },
            { "小数", StoredType::Single }, { "双精度", StoredType::Double },
            { "逻辑", StoredType::Logical }, { "日期", StoredType::DateTime },
            { "子程序", StoredType::SubProgram }, { "字节集", StoredType::ByteSet },
            { "备注", StoredType::Memo } });
    table.rows[0].insert(table.rows[0].end(),
        { Cell(std::int64_t(200)), Cell(std::int64_t(-1234)), Cell(std::int64_t(-70000)),
            Cell(std::int64_t(1) << 40), Cell(1.5), Cell(-2.25), Cell(std::int64_t(1)),
            Cell(45000.75), Cell(std::int64_t(0)), Cell(byteSet), Cell(longMemo) });
    return table;
}

std::string fileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

void writeBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Every file under folder with its bytes: what "changing nothing" is checked against. The
// program's lock file holds no data.
std::map<std::string, std::string> contents(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().filename() == instanceLockName)
            continue;
        files[fs::relative(entry.path(), folder).string()]
            = entry.is_regular_file() ? fileBytes(entry.path()) : "<folder>";
    }
    return files;
}

class HallImport : public ::testing::Test {
protected:
    HallImport()
    {
        fs::create_directories(source / "LB");
        test::slotTable({ { "1", "慢四", "甜蜜蜜", "D:\\music\\tmm.mp3" } })
            .write(source / "DQQF.DAT");
        test::slotTable({}).write(source / "dqqfls.dat");
        test::TableFile catalogue;
        catalogue.columns = { { "曲风", StoredType::Text, 64 } };
        catalogue.rows = { { Cell(std::string("慢四")) }, { Cell(std::string("探戈")) } };
        catalogue.write(source / "QFSZ.DAT");
        writeBytes(source / "SS.DAT", "[慢四]\r\n音量=60000\r\n");
        test::slotTable({ { "1", "探戈", "一剪梅", "D:\\music\\yjm.mp3" },
                            { "2", "慢四", "甜蜜蜜", "D:\\music\\tmm.mp3" } })
            .write(source / "LB" / (saturdayShow + ".DAT"));
        everyTypeTable().write(source / "LB" / (everyTypeShow + ".dat"), everyTypeShow + ".edt");
        writeBytes(source / "LB" / "1.JPG", "\xff\xd8\xff\xe0 picture");
        writeBytes(source / "播放器.exe", "MZ the old program");
    }
    ~HallImport() override { fs::remove_all(scratch.path); }

    ImportResult run() { return importHall(source.string(), hall.string()); }

    std::string report(const ImportResult& result)
    {
        std::string text;
        for (const std::string& line : result.report)
            text += line + "\n";
        return text;
    }

    static fs::path showPath(const fs::path& folder, const std::string& gbkName, const char* ext)
    {
        return folder / "lb" / (platform::gbkToUtf8(gbkName) + ext);
    }

    test::ScratchProgramDirectory scratch { "hall_import" };
    const fs::path source = scratch.path / "old";
    const fs::path hall = scratch.path / "hall";
};

TEST_F(HallImport, StoresEveryFileUnderTheNameTheProgramOpens)
{
    ImportResult result = run();
    ASSERT_TRUE(result.imported) << report(result);

    const std::map<fs::path, fs::path> copies = {
        { source / "DQQF.DAT", hall / "dqqf.dat" },
        { source / "dqqfls.dat", hall / "dqqfls.dat" },
        { source / "QFSZ.DAT", hall / "qfsz.dat" },
        { source / "SS.DAT", hall / "ss.dat" },
        { source / "LB" / "1.JPG", hall / "lb" / "1.jpg" },
        { source / "LB" / (saturdayShow + ".DAT"), showPath(hall, saturdayShow, ".dat") },
        { source / "LB" / (everyTypeShow + ".dat"), showPath(hall, everyTypeShow, ".dat") },
        { source / "LB" / (everyTypeShow + ".edt"), showPath(hall, everyTypeShow, ".EDT") },
    };
    for (const auto& [from, to] : copies) {
        ASSERT_TRUE(fs::exists(to)) << to;
        EXPECT_EQ(fileBytes(from), fileBytes(to)) << to;
    }
    EXPECT_FALSE(fs::exists(hall / "播放器.exe")) << "the old program's own files stay behind";
    for (const auto& entry : fs::directory_iterator(hall))
        EXPECT_NE(entry.path().filename().string().rfind(".import", 0), 0u) << "scratch left";
}

TEST_F(HallImport, ImportedTableReadsBackEveryFieldType)
{
    ASSERT_TRUE(run().imported);
    std::unique_ptr<recdb::Database> table;
    ASSERT_EQ(0,
        recdb::Database::open(platform::systemFileSystem(),
            showPath(hall, everyTypeShow, ".dat").string(), true, recdb::ShareMode::Unrestricted,
            table));
    table->current = 0;
    auto read = [&](const std::string& name) {
        const recdb::Field* field = table->findField(name);
        EXPECT_NE(field, nullptr) << name;
        runtime::Value value;
        EXPECT_EQ(0, field ? table->readField(*field, value) : -1) << name;
        return value;
    };
    EXPECT_EQ(std::get<std::uint8_t>(read("字节").payload()), 200);
    EXPECT_EQ(std::get<std::int16_t>(read("短整数").payload()), -1234);
    EXPECT_EQ(std::get<std::int32_t>(read("整数").payload()), -70000);
    EXPECT_EQ(std::get<std::int64_t>(read("长整数").payload()), std::int64_t(1) << 40);
    EXPECT_EQ(std::get<float>(read("小数").payload()), 1.5f);
    EXPECT_EQ(std::get<double>(read("双精度").payload()), -2.25);
    EXPECT_TRUE(std::get<bool>(read("逻辑").payload()));
    EXPECT_EQ(std::get<runtime::DateTime>(read("日期").payload()).days, 45000.75);
    EXPECT_EQ(std::get<runtime::Text>(read("曲目").payload()), "月亮代表我的心");
    auto bytes = std::get<runtime::ByteSet>(read("字节集").payload());
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), byteSet) << "a chain of two blocks";
    EXPECT_EQ(std::get<runtime::Text>(read("备注").payload()), longMemo)
        << "a chain of three blocks";
}

TEST_F(HallImport, ReadOnlySourceFilesArriveWritable)
{
    fs::permissions(source / "DQQF.DAT", fs::perms::owner_read);
    ASSERT_TRUE(run().imported);
    EXPECT_NE(fs::status(hall / "dqqf.dat").permissions() & fs::perms::owner_write, fs::perms::none)
        << "the program writes the current show in place";
}

TEST_F(HallImport, KeepsHallFilesTheSourceDoesNotHave)
{
    fs::create_directories(hall / "lb");
    writeBytes(hall / "lb" / "own.dat", "a show made here");
    writeBytes(showPath(hall, saturdayShow, ".dat"), "an older copy");
    ASSERT_TRUE(run().imported);
    EXPECT_EQ(fileBytes(hall / "lb" / "own.dat"), "a show made here");
    EXPECT_EQ(fileBytes(showPath(hall, saturdayShow, ".dat")),
        fileBytes(source / "LB" / (saturdayShow + ".DAT")));
}

TEST_F(HallImport, ImportedDataPlaysWithoutEvenLoudnessUntilTheOperatorTurnsItOn)
{
    fs::create_directories(hall);
    writeBytes(hall / "loudness.ini", "[loudness]\nenabled=1\n");
    ASSERT_TRUE(run().imported);
    EXPECT_FALSE(fs::exists(hall / "loudness.ini"));
}

struct Damage {
    const char* what;
    std::string namedInReport; // UTF-8
    std::function<void(const fs::path& source)> apply;
};

const fs::path everyTypeAux = fs::path("LB") / (everyTypeShow + ".edt");
// Chains of the every-type show: the byte set in blocks 1-2, the memo in blocks 3-5.
constexpr std::int64_t memoSecondBlockNext = 4 * 512 + 4;

const Damage damages[] = {
    { "not a database", "DQQF.DAT",
        [](const fs::path& s) { test::patchFile(s / "DQQF.DAT", 0, "MZ\0\0"); } },
    { "more records than the file holds", "QFSZ.DAT",
        [](const fs::path& s) { test::patchFile(s / "QFSZ.DAT", 16, test::littleEndian32(9)); } },
    { "memo chain runs past the file", platform::gbkToUtf8(everyTypeShow),
        [](const fs::path& s) {
            test::patchFile(s / everyTypeAux, memoSecondBlockNext, test::littleEndian32(60));
        } },
    { "memo chain loops", platform::gbkToUtf8(everyTypeShow),
        [](const fs::path& s) {
            test::patchFile(s / everyTypeAux, memoSecondBlockNext, test::littleEndian32(3));
        } },
    { "auxiliary file missing", platform::gbkToUtf8(everyTypeShow),
        [](const fs::path& s) { fs::remove(s / everyTypeAux); } },
    { "show without a style column", platform::gbkToUtf8(saturdayShow),
        [](const fs::path& s) {
            test::TableFile table;
            table.columns = { { "序号", StoredType::Text, 16 } };
            table.write(s / "LB" / (saturdayShow + ".DAT"));
        } },
    { "catalogue missing", "qfsz.dat", [](const fs::path& s) { fs::remove(s / "QFSZ.DAT"); } },
    { "two shows differing only in case", "SAME.DAT",
        [](const fs::path& s) {
            test::slotTable({}).write(s / "LB" / "same.dat");
            test::slotTable({}).write(s / "LB" / "SAME.DAT");
        } },
};

TEST_F(HallImport, AnyDamagedFileRefusesTheWholeImportAndChangesNothing)
{
    fs::create_directories(hall / "lb");
    writeBytes(hall / "dqqf.dat", "the hall's current show");
    writeBytes(hall / "lb" / "own.dat", "a show made here");
    const auto before = contents(hall);
    const fs::path pristine = scratch.path / "pristine";
    fs::copy(source, pristine, fs::copy_options::recursive);
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        fs::remove_all(source);
        fs::copy(pristine, source, fs::copy_options::recursive);
        damage.apply(source);

        ImportResult result = run();
        EXPECT_FALSE(result.imported);
        EXPECT_NE(report(result).find(damage.namedInReport), std::string::npos) << report(result);
        EXPECT_EQ(contents(hall), before);
    }
}

// The import locks a hall folder it makes, as a running program would; refused, it takes
// the folder away again, lock file and all.
TEST_F(HallImport, ARefusedImportIntoANewHallLeavesNoFolder)
{
    test::patchFile(source / "DQQF.DAT", 0, "MZ\0\0");
    ImportResult result = run();
    EXPECT_FALSE(result.imported);
    EXPECT_FALSE(fs::exists(hall)) << report(result);
}

TEST_F(HallImport, WaitsForTheProgramRunningOnTheHallToClose)
{
    fs::create_directories(hall);
    const auto before = contents(hall);
    SingleInstance runningProgram;
    ASSERT_EQ(runningProgram.take(hall.string()), SingleInstance::Outcome::taken);

    ImportResult result = run();
    EXPECT_FALSE(result.imported);
    EXPECT_NE(report(result).find("running"), std::string::npos) << report(result);
    EXPECT_EQ(contents(hall), before);
}

// A disk failing part-way (the source's show folder unreadable, a copy cut short by a full
// disk) refuses the import and leaves the hall as it was, without its scratch folder.
TEST_F(HallImport, AFailingDiskRefusesTheImportAndLeavesTheHallAsItWas)
{
    fs::create_directories(hall);
    writeBytes(hall / "notes.txt", "the operator's");
    const auto before = contents(hall);

    support::FaultyFileSystem unreadable;
    unreadable.failNth({ support::FileCall::listFolder }, 2, EIO); // the first lists the top
    ImportResult result = importHall(source.string(), hall.string(), unreadable);
    EXPECT_FALSE(result.imported);
    EXPECT_NE(report(result).find("cannot read the folder"), std::string::npos) << report(result);
    EXPECT_EQ(contents(hall), before);

    support::FaultyFileSystem full;
    full.failNth({ support::FileCall::writeAt }, 3, ENOSPC);
    result = importHall(source.string(), hall.string(), full);
    EXPECT_FALSE(result.imported);
    EXPECT_NE(report(result).find("cannot copy"), std::string::npos) << report(result);
    EXPECT_EQ(contents(hall), before);
    EXPECT_GT(full.calls(support::FileCall::removeFolder), 0);
}

// The disk failing at any rename of an import, its commit's included, leaves the hall as it
// was, or with the import committed, whose rest the next start moves in: never a mixture.
TEST_F(HallImport, AFailureAtAnyRenameLeavesTheHallAllOldOrAllNewOnceSettled)
{
    fs::create_directories(hall / "lb");
    writeBytes(hall / "lb" / "own.dat", "a show made here");
    writeBytes(showPath(hall, saturdayShow, ".dat"), "an older copy");
    writeBytes(hall / "loudness.ini", "[loudness]\nenabled=1\n");
    const fs::path pristine = scratch.path / "pristine";
    fs::copy(hall, pristine, fs::copy_options::recursive);
    const auto before = contents(hall);
    support::FaultyFileSystem counting;
    ASSERT_TRUE(importHall(source.string(), hall.string(), counting).imported);
    const auto after = contents(hall);
    const int renames = counting.calls(support::FileCall::rename);

    int finished = 0;
    for (int n = 1; n <= renames; ++n) {
        SCOPED_TRACE("rename " + std::to_string(n));
        fs::remove_all(hall);
        fs::copy(pristine, hall, fs::copy_options::recursive);
        support::FaultyFileSystem failing;
        failing.failNth({ support::FileCall::rename }, n, EIO);
        const ImportResult result = importHall(source.string(), hall.string(), failing);
        EXPECT_FALSE(result.imported) << report(result);

        const ImportSettlement settled
            = settleInterruptedImport(hall.string(), platform::systemFileSystem());
        const auto now = contents(hall);
        EXPECT_TRUE(now == before || now == after);
        EXPECT_EQ(
            settled.outcome, now == after ? InterruptedImport::finished : InterruptedImport::none);
        finished += settled.outcome == InterruptedImport::finished;
    }
    EXPECT_GT(finished, 0) << "some renames fall after the commit";
}

// An import killed after its commit is finished before the next one starts, or it would be
// finished over that one later; one killed before is undone.
TEST_F(HallImport, AnImportCutShortEarlierIsSettledFirstAndReported)
{
    fs::create_directories(hall / ".imported-a1B2c3" / "lb");
    writeBytes(hall / ".imported-a1B2c3" / "lb" / "earlier.dat", "from the earlier import");
    ImportResult result = run();
    ASSERT_TRUE(result.imported) << report(result);
    EXPECT_NE(report(result).find("cut short earlier has been finished"), std::string::npos)
        << report(result);
    EXPECT_EQ(fileBytes(hall / "lb" / "earlier.dat"), "from the earlier import");

    fs::create_directories(hall / ".import-d4E5f6" / "lb");
    writeBytes(hall / ".import-d4E5f6" / "lb" / "staged.dat", "never committed");
    result = run();
    ASSERT_TRUE(result.imported) << report(result);
    EXPECT_NE(report(result).find("cut short earlier has been undone"), std::string::npos)
        << report(result);
    EXPECT_FALSE(fs::exists(hall / "lb" / "staged.dat"));
    for (const auto& entry : fs::directory_iterator(hall))
        EXPECT_FALSE(isImportScratchName(entry.path().filename().string())) << entry.path();
}

// A committed import that the disk will not let finish stays committed, named as unfinished,
// and is finished by the next try that can.
TEST_F(HallImport, AnImportThatCannotBeFinishedNowIsFinishedLater)
{
    fs::create_directories(hall / ".imported-a1B2c3" / "lb");
    writeBytes(hall / ".imported-a1B2c3" / "lb" / "late.dat", "committed");
    support::FaultyFileSystem stuck;
    stuck.failEvery({ support::FileCall::rename }, EIO);
    const ImportSettlement now = settleInterruptedImport(hall.string(), stuck);
    EXPECT_EQ(now.outcome, InterruptedImport::unfinished);
    EXPECT_NE(now.problem.find("late.dat"), std::string::npos) << now.problem;
    const ImportResult refused = importHall(source.string(), hall.string(), stuck);
    EXPECT_FALSE(refused.imported) << "no import goes over one that is not finished";
    EXPECT_NE(report(refused).find("cut short earlier cannot be finished"), std::string::npos)
        << report(refused);
    EXPECT_FALSE(fs::exists(hall / "lb" / "late.dat"));

    EXPECT_EQ(settleInterruptedImport(hall.string(), platform::systemFileSystem()).outcome,
        InterruptedImport::finished);
    EXPECT_EQ(fileBytes(hall / "lb" / "late.dat"), "committed");
    EXPECT_FALSE(fs::exists(hall / ".imported-a1B2c3"));
}

TEST_F(HallImport, RefusesAFolderThatIsNoInstallation)
{
    EXPECT_FALSE(importHall((scratch.path / "nowhere").string(), hall.string()).imported);
    ImportResult itself = importHall(source.string(), source.string() + "/.");
    EXPECT_FALSE(itself.imported);
    EXPECT_TRUE(fs::exists(source / "DQQF.DAT")) << report(itself);
    EXPECT_FALSE(fs::exists(hall)) << "a refused import makes no hall folder";
}

} // namespace
} // namespace app
