// Start-up of the main window: the single-instance rule, the list of saved shows, the show
// that becomes current, and the tray icon, light lock, volume and timers it leaves behind.

#include "tests/app/main_window_run.h"

#include "app/globals.h"
#include "app/single_instance.h"
#include "ui/templates/segment.h"
#include "ui/unit_properties.h"

#include <fstream>
#include <unistd.h>

namespace app::test {
namespace {

using namespace ids::MainWindow;

const std::vector<Slot> saturday { { "1", "慢四", "月光", "/m/月光.mp3" } };
const std::vector<Slot> sunday { { "1", "快四", "晚风", "/m/晚风.mp3" }, { "2", "探戈", "", "" } };

class StartUp : public MainWindowRun { };

TEST_F(StartUp, TheFirstShowTheFileSystemListsBecomesCurrent)
{
    saveShow(u8"周六.dat", saturday);
    saveShow(u8"周日.DAT", sunday);
    fs::create_directory(directory / "lb" / "folder.dat");
    std::ofstream(directory / "lb" / "notes.txt") << "not a show";
    std::vector<Text> expected;
    for (const auto& entry : fs::directory_iterator(directory / "lb"))
        if (entry.path().filename() == u8"周六.dat")
            expected.push_back("*  周六");
        else if (entry.path().filename() == u8"周日.DAT")
            expected.push_back("*  周日");
    ASSERT_EQ(expected.size(), 2u);

    start();

    EXPECT_EQ(showRows(), expected);
    EXPECT_EQ(std::get<std::int32_t>(mainProperty(超级列表框1, ui::prop::listView::currentRow)), 0);
    Text current = expected[0].substr(3);
    EXPECT_EQ(std::get<Text>(mainProperty(标签场次, ui::prop::label::caption)), current);
    fs::path currentFile = directory / "lb" / (current == "周六" ? u8"周六.dat" : u8"周日.DAT");
    EXPECT_EQ(contents(directory / "dqqf.dat"), contents(currentFile));
    std::vector<ui::TreeItem> tree = application.windows.component(window, 树型框1)->tree;
    if (current == "周六") {
        EXPECT_EQ(tree.size(), 2u);
        EXPECT_EQ(application.globals.playQueue, std::vector<Text> { "/m/月光.mp3" });
    } else {
        EXPECT_EQ(tree.size(), 4u);
        EXPECT_EQ(application.globals.playQueue, std::vector<Text> { "/m/晚风.mp3" });
    }
    EXPECT_TRUE(messageTexts().empty());
    EXPECT_EQ(application.databases.openCount(), 0u);
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
    ASSERT_FALSE(running.anotherHolds("mqv4471206"));

    EXPECT_THROW(start(), platform::ProgramEnded);

    EXPECT_EQ(headless.process().exitCode(), 0);
    EXPECT_EQ(messageTexts(), std::vector<std::string> { "本软件已运行！" });
    EXPECT_EQ(headless.dialogs().messageBoxes()[0].flags & 0xffu, 0u); // OK only, no icon
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);
    EXPECT_FALSE(views.trayTip());
    EXPECT_EQ(application.globals.lightLock, 0);
    EXPECT_TRUE(mixer->history().empty());
}

TEST_F(StartUp, TheRunningProgramHoldsTheInstanceLock)
{
    start();

    SingleInstance second;
    EXPECT_TRUE(second.anotherHolds("mqv4471206"));
}

TEST_F(StartUp, TheInstanceLockGoesWithItsHolder)
{
    {
        SingleInstance first;
        ASSERT_FALSE(first.anotherHolds("lock_test"));
        EXPECT_FALSE(first.anotherHolds("lock_test"));
        SingleInstance second;
        EXPECT_TRUE(second.anotherHolds("lock_test"));
    }
    SingleInstance later;
    EXPECT_FALSE(later.anotherHolds("lock_test"));
}

TEST(InstanceLockPath, PrefersTheRuntimeDirectoryAndElseNamesTheUserInTheTempDirectory)
{
    setenv("XDG_RUNTIME_DIR", "/run/user/7", 1);
    EXPECT_EQ(instanceLockPath("mqv4471206"), "/run/user/7/mqv4471206.lock");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(fs::path(instanceLockPath("mqv4471206")).filename().string(),
        "mqv4471206-" + std::to_string(::getuid()) + ".lock");
}

} // namespace
} // namespace app::test
