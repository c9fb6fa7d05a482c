// Start-up of the main window: the single-instance rule, the list of saved shows, the show
// that becomes current, and the tray icon, light lock, volume and timers it leaves behind.

#include "tests/app/main_window_run.h"
#include "tests/app/private_session.h"

#include "app/globals.h"
#include "app/single_instance.h"
#include "faulty_file_system.h"
#include "runtime/ini_file.h"
#include "ui/templates/segment.h"
#include "ui/unit_properties.h"

#include <algorithm>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace app::test {
namespace {

using namespace ids::MainWindow;

const std::vector<Slot> saturday { { "1", "慢四", "月光", "/m/月光.mp3" } };
const std::vector<Slot> sunday { { "1", "快四", "晚风", "/m/晚风.mp3" }, { "2", "探戈", "", "" } };

class StartUp : public MainWindowRun { };

// Listed by name, so the current show does not depend on the file system's order; an
// installation's "周日.DAT" lists and loads like any other.
TEST_F(StartUp, TheFirstShowByNameBecomesCurrent)
{
    saveShow(u8"周日.DAT", sunday);
    saveShow(u8"周六.dat", saturday);
    fs::create_directory(directory / "lb" / "folder.dat");
    std::ofstream(directory / "lb" / "notes.txt") << "not a show";

    start();

    EXPECT_EQ(showRows(), (std::vector<Text> { "*  周六", "*  周日" }));
    EXPECT_EQ(std::get<std::int32_t>(mainProperty(超级列表框1, ui::prop::listView::currentRow)), 0);
    EXPECT_EQ(std::get<Text>(mainProperty(标签场次, ui::prop::label::caption)), "周六");
    EXPECT_EQ(contents(directory / "dqqf.dat"), contents(directory / "lb" / u8"周六.dat"));
    EXPECT_EQ(application.windows.component(window, 树型框1)->tree.size(), 2u);
    EXPECT_EQ(application.globals.playQueue, std::vector<Text> { "/m/月光.mp3" });
    EXPECT_TRUE(messageTexts().empty());
    EXPECT_EQ(application.databases.openCount(), 0u);
}

// A hall folder copied from an existing installation names its files in GBK bytes.
TEST_F(StartUp, AShowNamedInGbkBytesOnDiskListsAndLoads)
{
    saveShow("\xD6\xDC\xC8\xD5.DAT", sunday); // 周日 in GBK

    start();

    EXPECT_EQ(showRows(), std::vector<Text> { "*  周日" });
    EXPECT_EQ(
        contents(directory / "dqqf.dat"), contents(directory / "lb" / "\xD6\xDC\xC8\xD5.DAT"));
    EXPECT_EQ(application.windows.component(window, 树型框1)->tree.size(), 4u);
}

// A season's show fills the slot tree in one go: the view hears of new items a fixed number of
// times, never once per slot, and the tree and the queue hold every slot.
TEST_F(StartUp, ALongShowReachesTheTreeViewInAFewRefreshesNotOnePerSlot)
{
    std::vector<Slot> season;
    for (int k = 1; k <= 300; ++k)
        season.push_back({ std::to_string(k), "慢四", k % 3 ? "舞曲" : "",
            k % 3 ? "/m/" + std::to_string(k) + ".mp3" : "" });
    writeCurrentShow(season);
    // The show left in the current table unsaved is the one to open.
    ASSERT_TRUE(runtime::writeIniEntry(
        (directory / "lastshow.ini").string(), "场次", Text("当前场次"), Text("新建场次")));

    start();

    const ui::ComponentState tree = *application.windows.component(window, 树型框1);
    ASSERT_EQ(tree.tree.size(), 600u);
    EXPECT_TRUE(std::all_of(tree.tree.begin(), tree.tree.end(),
        [](const ui::TreeItem& item) { return item.expanded; }));
    EXPECT_EQ(tree.tree[599].text, "选择更换舞曲");
    EXPECT_EQ(application.globals.playQueue.size(), 200u);
    char refresh[32];
    std::snprintf(refresh, sizeof refresh, "refresh 0x%08x -1", 树型框1);
    const std::vector<std::string> lines = views.transcript();
    EXPECT_LE(std::count_if(lines.begin(), lines.end(),
                  [&](const std::string& line) { return line.ends_with(refresh); }),
        3);
}

// A damaged saved show must not replace a good current show.
TEST_F(StartUp, ADamagedSavedShowIsNamedAndTheCurrentShowKept)
{
    writeCurrentShow(sunday);
    const std::string good = contents(directory / "dqqf.dat");
    for (const std::string& damage : { std::string("garbage"), good.substr(0, 60) }) {
        std::ofstream(directory / "lb" / u8"周六.dat", std::ios::binary | std::ios::trunc)
            << damage;
    }
    std::string truncated = contents(directory / "lb" / u8"周六.dat");

    start();

    ASSERT_EQ(messageTexts().size(), 1u);
    EXPECT_EQ(messageTexts()[0],
        "场次文件 lb/周六.dat 已损坏（指定文件不是数据库文件），未载入，当前播放列表保持不变。");
    EXPECT_EQ(contents(directory / "dqqf.dat"), good);
    EXPECT_EQ(contents(directory / "lb" / u8"周六.dat"), truncated); // only read
    EXPECT_EQ(application.windows.component(window, 树型框1)->tree.size(), 4u);
    EXPECT_EQ(application.databases.openCount(), 0u);
}

TEST_F(StartUp, ATableWithoutTheSlotFieldsIsNotLoaded)
{
    fs::copy_file(directory / "qfsz.dat", directory / "lb" / u8"周六.dat");
    const std::string before = contents(directory / "dqqf.dat");

    start();

    ASSERT_EQ(messageTexts().size(), 1u);
    EXPECT_NE(messageTexts()[0].find("缺少文本字段“序号”"), std::string::npos);
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);
}

TEST_F(StartUp, ADamagedCurrentShowIsNamed)
{
    std::ofstream(directory / "dqqf.dat", std::ios::binary | std::ios::trunc) << "WEDB";

    start();

    ASSERT_EQ(messageTexts().size(), 1u);
    EXPECT_EQ(messageTexts()[0],
        "播放列表文件 dqqf.dat 已损坏（指定文件不是数据库文件），请重新载入一个已保存的场次。");
    EXPECT_TRUE(application.windows.component(window, 树型框1)->tree.empty());
}

// What a crash in the middle of an edit leaves: a deleted slot not packed, numbers with a
// gap, temporary files of saves (tables, shows, settings, the last show's memory, the evening
// log). Files of other names stay.
TEST_F(StartUp, CrashLeftoversAreMended)
{
    const char* const leftovers[] = { ".dqqf.dat.a1B2c3", ".ss.dat.Zz9900", "lb/.周六.dat.x0X0x0",
        ".evening.log.Q1w2E3", ".lastshow.ini.pQ7rS8", ".loudness.ini.000000", ".remote.ini.aB3dE5",
        ".lights.ini.ZZZZZZ" };
    const char* const kept[] = { ".dancehall.lock", "lb/.周六.dat.old", ".notes.XXXXXX",
        ".notes.txt.a1B2c3", ".lastshow.ini.a1B2", "lastshow.ini.a1B2c3" };
    writeCurrentShow({ { "1", "慢四", "月光", "/m/月光.mp3" }, { "2", "快四", "", "" },
        { "4", "探戈", "晚风", "/m/晚风.mp3" } });
    recdb::Registry& db = application.databases;
    ASSERT_TRUE(db.openDatabase((directory / "dqqf.dat").string(), Text("dqqf")));
    ASSERT_TRUE(db.goTo(2));
    ASSERT_TRUE(db.markDeleted());
    db.closeDatabase(Text("dqqf"));
    for (const char* name : leftovers)
        std::ofstream(directory / fs::u8path(name)) << "half";
    for (const char* name : kept)
        std::ofstream(directory / fs::u8path(name)) << "kept";

    start();

    EXPECT_TRUE(messageTexts().empty());
    std::vector<ui::TreeItem> tree = application.windows.component(window, 树型框1)->tree;
    ASSERT_EQ(tree.size(), 4u);
    EXPECT_EQ(tree[0].text, "1  慢四");
    EXPECT_EQ(tree[2].text, "2  探戈");
    for (const char* name : leftovers)
        EXPECT_FALSE(fs::exists(directory / fs::u8path(name))) << name;
    for (const char* name : kept)
        EXPECT_TRUE(fs::exists(directory / fs::u8path(name))) << name;
}

// A killed import is settled at the next start, and the operator learns how. Only a real
// folder of exactly such a name is an import's: a file of a similar name and a link named like
// a scratch folder stay, and so does what the link points at.
class StartUpAfterAKilledImport : public StartUp {
protected:
    StartUpAfterAKilledImport()
    {
        saveShow(u8"周六.dat", saturday);
        std::ofstream(directory / "ss.dat") << oldStyles;
        std::ofstream(directory / "loudness.ini") << "[loudness]\nenabled=1\n";
        std::ofstream(directory / ".import-notes") << "kept";
        fs::create_directories(elsewhere);
        std::ofstream(elsewhere / "keep.txt") << "kept";
        fs::create_directory_symlink(elsewhere, directory / ".imported-L1nk00");
    }
    void expectOthersKept()
    {
        EXPECT_TRUE(fs::exists(directory / ".import-notes"));
        EXPECT_TRUE(fs::is_symlink(directory / ".imported-L1nk00"));
        EXPECT_TRUE(fs::exists(elsewhere / "keep.txt"));
    }

    const std::string oldStyles = "[慢四]\r\n音量=60\r\n";
    const std::string newStyles = "[慢四]\r\n音量=80\r\n";
    const fs::path elsewhere = directory / "lb" / "elsewhere";
};

// Killed before its commit, the import never reached the hall's files: its scratch folder
// goes and the hall is as before it.
TEST_F(StartUpAfterAKilledImport, BeforeItsCommitItIsUndone)
{
    const std::string saturdayFile = contents(directory / "lb" / u8"周六.dat");
    const fs::path staging = directory / ".import-k3Q9zA";
    fs::create_directories(staging / "lb");
    std::ofstream(staging / "lb" / u8"周六.dat") << "staged";
    std::ofstream(staging / "ss.dat") << newStyles;

    start();

    EXPECT_EQ(messageTexts(),
        std::vector<std::string> {
            "上次导入数据（--import）在完成前中断了，已撤销：数据文件夹保持导入前的样子。" });
    EXPECT_FALSE(fs::exists(staging));
    EXPECT_EQ(contents(directory / "lb" / u8"周六.dat"), saturdayFile);
    EXPECT_EQ(contents(directory / "ss.dat"), oldStyles);
    EXPECT_TRUE(fs::exists(directory / "loudness.ini"));
    expectOthersKept();
}

// Killed after its commit, with some shows moved in already, the import is moved in to the end,
// and the switch of even loudness goes as a whole import takes it away.
TEST_F(StartUpAfterAKilledImport, AfterItsCommitItIsFinished)
{
    const fs::path committed = directory / ".imported-k3Q9zA";
    fs::create_directories(committed / "lb");
    saveShow(u8"周日.dat", sunday);
    fs::copy_file(directory / "lb" / u8"周日.dat", committed / "lb" / u8"周六.dat");
    std::ofstream(committed / "ss.dat") << newStyles;
    const std::string sundayFile = contents(directory / "lb" / u8"周日.dat");

    start();

    EXPECT_EQ(messageTexts(),
        std::vector<std::string> {
            "上次导入数据（--import）在完成前中断了，现已完成：数据文件夹中是导入的数据。" });
    EXPECT_FALSE(fs::exists(committed));
    EXPECT_EQ(contents(directory / "lb" / u8"周六.dat"), sundayFile);
    EXPECT_EQ(contents(directory / "ss.dat"), newStyles);
    EXPECT_FALSE(fs::exists(directory / "loudness.ini"));
    expectOthersKept();
    // The show shown is read after the import is whole.
    EXPECT_EQ(application.globals.playQueue, std::vector<Text> { "/m/晚风.mp3" });
}

TEST_F(StartUp, SlotsNumberedWithAGapAreNumberedAnew)
{
    writeCurrentShow(
        { { "1", "慢四", "月光", "/m/月光.mp3" }, { "3", "探戈", "晚风", "/m/晚风.mp3" } });
    start();
    std::vector<ui::TreeItem> tree = application.windows.component(window, 树型框1)->tree;
    ASSERT_EQ(tree.size(), 4u);
    EXPECT_EQ(tree[2].text, "2  探戈");
}

TEST_F(StartUp, LeavesTheWindowShownWithTrayLockVolumeAndTimersSet)
{
    start();

    EXPECT_TRUE(std::get<bool>(mainProperty(self, 5)));
    EXPECT_EQ(views.trayTip(), Text("Velorn舞厅灯光控制系统"));
    EXPECT_NE(application.globals.lightLock, 0);
    EXPECT_EQ(application.globals.volumeFactor, 1.0F);
    EXPECT_EQ(std::get<std::int32_t>(mainProperty(时钟1, ui::prop::timer::interval)), 2000);
    EXPECT_EQ(std::get<std::int32_t>(mainProperty(多功能条1, ui::prop::superBar::position)), 0);
    // 75000 is beyond the mixer's range and arrives clamped.
    ASSERT_FALSE(mixer->history().empty());
    EXPECT_EQ(mixer->history().back().values, (std::vector<std::int64_t> { 65535, 65535 }));
    auto transcript = views.transcript();
    EXPECT_NE(
        std::find(transcript.begin(), transcript.end(), "0x52010001 z-order 1"), transcript.end());
    EXPECT_TRUE(application.threads.deleteSection(application.globals.lightLock));
}

TEST_F(StartUp, WithoutSavedShowsTheCurrentTableStaysAndIsShown)
{
    writeCurrentShow(saturday);
    std::string before = contents(directory / "dqqf.dat");

    start();

    EXPECT_TRUE(showRows().empty());
    EXPECT_EQ(std::get<Text>(mainProperty(标签场次, ui::prop::label::caption)), "");
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);
    EXPECT_EQ(application.windows.component(window, 树型框1)->tree.size(), 2u);
    EXPECT_EQ(application.globals.playQueue, std::vector<Text> { "/m/月光.mp3" });
}

// The file looked for is the name without its spaces, so a hand-made name with a space is
// listed but does not load.
TEST_F(StartUp, AShowNameWithASpaceIsListedButItsFileIsNotFound)
{
    saveShow(u8"周 六.dat", saturday);
    std::string before = contents(directory / "dqqf.dat");

    start();

    EXPECT_EQ(showRows(), std::vector<Text> { "*  周 六" });
    EXPECT_EQ(std::get<Text>(mainProperty(标签场次, ui::prop::label::caption)), "周 六");
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);
}

// The window's files go through a file system that a test makes fail.
struct FaultyFiles {
    support::FaultyFileSystem files;
};
class StartUpOnAFailingDisk : private FaultyFiles, public MainWindowRun {
protected:
    StartUpOnAFailingDisk()
        : MainWindowRun(FaultyFiles::files)
    {
    }
    support::FaultyFileSystem& disk() { return FaultyFiles::files; }
};

// A show folder that cannot be read lists no show, as an empty one would: the current table
// stays and is shown, and no saved show is loaded over it.
TEST_F(StartUpOnAFailingDisk, AnUnreadableShowFolderListsNothingAndKeepsTheCurrentShow)
{
    saveShow(u8"周六.dat", saturday);
    writeCurrentShow(sunday);
    const std::string before = contents(directory / "dqqf.dat");
    disk().failEvery({ support::FileCall::listFolder }, EIO);

    start();

    EXPECT_GT(disk().calls(support::FileCall::listFolder), 0);
    EXPECT_TRUE(showRows().empty());
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);
    EXPECT_EQ(application.globals.playQueue, std::vector<Text> { "/m/晚风.mp3" });
    EXPECT_TRUE(fs::exists(directory / "lb" / u8"周六.dat"));
}

TEST_F(StartUp, WithoutAMixerTheOperatorIsWarnedAndStartUpGoesOn)
{
    Application silent { runtime, views };
    silent.programDirectory = directory.string();
    silent.windows.readTemplates(templates::segment());
    initGlobals(silent.globals);
    silent.windows.loadStartWindow(window);

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "系统音量打开失败!,您可能听不到声音!" });
    EXPECT_EQ(headless.dialogs().messageBoxes()[0].flags & 0xffu, 0u); // OK only, no icon
    EXPECT_TRUE(std::get<bool>(silent.windows.property(window, self, 5)));
    EXPECT_EQ(std::get<std::int32_t>(silent.windows.property(window, 时钟1, 8)), 2000);
    EXPECT_FALSE(headless.process().exitCode());
}

TEST_F(StartUp, ASecondInstanceIsToldAndEndsWithoutTouchingAnything)
{
    saveShow(u8"周六.dat", saturday);
    std::string before = contents(directory / "dqqf.dat");
    SingleInstance running;
    ASSERT_EQ(running.take(directory.string()), SingleInstance::Outcome::taken);

    EXPECT_THROW(start(), platform::ProgramEnded);

    EXPECT_EQ(headless.process().exitCode(), 0);
    EXPECT_EQ(messageTexts(), std::vector<std::string> { "本软件已运行！" });
    EXPECT_EQ(headless.dialogs().messageBoxes()[0].flags & 0xffu, 0u); // OK only, no icon
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);
    EXPECT_FALSE(views.trayTip());
    EXPECT_EQ(application.globals.lightLock, 0);
    EXPECT_TRUE(mixer->history().empty());
}

TEST_F(StartUp, TheRunningProgramHoldsTheLockOfItsHallFolder)
{
    start();

    SingleInstance second;
    EXPECT_EQ(second.take(directory.string()), SingleInstance::Outcome::held);
    // The same folder through another path is the same hall.
    fs::create_directory_symlink(directory, directory / "config-link");
    EXPECT_EQ(second.take((directory / "config-link").string()), SingleInstance::Outcome::held);
}

// Whatever lock cannot be had keeps the program from running on the data.
TEST_F(StartUp, ALockThatCannotBeTakenRefusesToStartAndSaysWhy)
{
    fs::create_symlink(directory / "elsewhere", directory / instanceLockName);
    std::string before = contents(directory / "dqqf.dat");

    EXPECT_THROW(start(), platform::ProgramEnded);

    EXPECT_EQ(headless.process().exitCode(), 1);
    ASSERT_EQ(messageTexts().size(), 1u);
    EXPECT_NE(messageTexts()[0].find("无法锁定数据文件夹"), std::string::npos);
    EXPECT_NE(messageTexts()[0].find("符号链接"), std::string::npos);
    EXPECT_FALSE(fs::exists(directory / "elsewhere"));
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);
    EXPECT_FALSE(views.trayTip());
}

class InstanceLock : public ::testing::Test {
protected:
    InstanceLock()
        : first(makeScratchDirectory("hall_a"))
        , second(makeScratchDirectory("hall_b"))
    {
    }
    ~InstanceLock() override
    {
        fs::permissions(first, fs::perms::owner_all);
        fs::remove_all(first);
        fs::remove_all(second);
    }
    const fs::path first;
    const fs::path second;
};

TEST_F(InstanceLock, GoesWithItsHolderAndTwoHallsRunSideBySide)
{
    {
        SingleInstance one;
        ASSERT_EQ(one.take(first.string()), SingleInstance::Outcome::taken);
        EXPECT_EQ(one.take(first.string()), SingleInstance::Outcome::taken);
        SingleInstance other;
        EXPECT_EQ(other.take(first.string()), SingleInstance::Outcome::held);
        SingleInstance otherHall;
        EXPECT_EQ(otherHall.take(second.string()), SingleInstance::Outcome::taken);
    }
    SingleInstance later;
    EXPECT_EQ(later.take(first.string()), SingleInstance::Outcome::taken);
}

// The lock no longer depends on the session's runtime folder: with it unset, odd or shared,
// the hall folder decides.
TEST_F(InstanceLock, DoesNotDependOnTheRuntimeDirectory)
{
    SingleInstance one;
    setenv("XDG_RUNTIME_DIR", second.c_str(), 1);
    ASSERT_EQ(one.take(first.string()), SingleInstance::Outcome::taken);
    for (const char* runtimeDir : { "", "/nonexistent", "relative" }) {
        setenv("XDG_RUNTIME_DIR", runtimeDir, 1);
        SingleInstance other;
        EXPECT_EQ(other.take(first.string()), SingleInstance::Outcome::held) << runtimeDir;
    }
    unsetenv("XDG_RUNTIME_DIR");
    SingleInstance other;
    EXPECT_EQ(other.take(first.string()), SingleInstance::Outcome::held);
}

// A folder this user may not write cannot be changed by two copies either: the lock is not
// needed there, and not taken (root writes anyway, so only another user sees it).
TEST_F(InstanceLock, FailsClosedOnAPlantedLinkOrAFifoButNotOnAReadOnlyFolder)
{
    fs::create_symlink(second / "target", first / instanceLockName);
    SingleInstance linked;
    EXPECT_EQ(linked.take(first.string()), SingleInstance::Outcome::failed);
    EXPECT_EQ(linked.failure(), "锁文件是一个符号链接");
    EXPECT_FALSE(fs::exists(second / "target"));

    fs::remove(first / instanceLockName);
    ASSERT_EQ(::mkfifo((first / instanceLockName).c_str(), 0600), 0);
    SingleInstance fifo;
    EXPECT_EQ(fifo.take(first.string()), SingleInstance::Outcome::failed);

    fs::remove(first / instanceLockName);
    fs::permissions(first, fs::perms::owner_read | fs::perms::owner_exec);
    SingleInstance readOnly;
    if (::geteuid() != 0) {
        EXPECT_EQ(readOnly.take(first.string()), SingleInstance::Outcome::readOnly);
        EXPECT_EQ(readOnly.failure(), "没有写入权限");
    }
    SingleInstance missing;
    EXPECT_EQ(missing.take((second / "gone").string()), SingleInstance::Outcome::failed);
}

// A lock file the system will not create on a read-only mount (which refuses even root) tells
// a hall that cannot be written; one it will not lock fails with the reason. Either way
// nothing is held: the descriptor goes, and a later try may take the lock.
TEST_F(InstanceLock, SaysWhyTheSystemRefusesTheLockFile)
{
    support::FaultyFileSystem files;
    files.failNth({ support::FileCall::openOrCreate }, 1, EROFS);
    SingleInstance readOnlyMount(files);
    EXPECT_EQ(readOnlyMount.take(first.string()), SingleInstance::Outcome::readOnly);
    EXPECT_EQ(readOnlyMount.failure(), "文件系统是只读的");

    files.failNth({ support::FileCall::lockWholeFile }, 1, ENOLCK);
    SingleInstance noLocks(files);
    EXPECT_EQ(noLocks.take(first.string()), SingleInstance::Outcome::failed);
    EXPECT_EQ(noLocks.failure(), "系统错误 " + std::to_string(ENOLCK));
    EXPECT_EQ(files.calls(support::FileCall::close), 1);
    EXPECT_EQ(noLocks.take(first.string()), SingleInstance::Outcome::taken);
    SingleInstance other;
    EXPECT_EQ(other.take(first.string()), SingleInstance::Outcome::held);
}

} // namespace
} // namespace app::test
