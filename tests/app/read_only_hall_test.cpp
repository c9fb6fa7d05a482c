// A hall folder the program may not write, as a read-only mount refuses every write even to
// root: the program starts on it, says once that changes cannot be saved, plays what is
// there, and refuses every command that would write, with a message, writing nothing.

#include "tests/app/main_window_run.h"

#include "faulty_file_system.h"
#include "ui/unit_properties.h"

#include <fstream>
#include <functional>
#include <map>

namespace app::test {
namespace {

using namespace ids::MainWindow;
namespace styleWindow = ids::StyleSettingsWindow;
namespace lightWindow = ids::LightOutputWindow;
namespace remoteWindow = ids::RemoteSettingsWindow;

const std::vector<Slot> saturday { { "1", "慢四", "月光", "/m/月光.mp3" },
    { "2", "探戈", "", "" } };

// Every call that changes what is on the disk.
constexpr std::initializer_list<support::FileCall> writes = { support::FileCall::openForWriting,
    support::FileCall::openOrCreate, support::FileCall::makeTemp, support::FileCall::writeAt,
    support::FileCall::setLength, support::FileCall::setPermissions, support::FileCall::rename,
    support::FileCall::unlink, support::FileCall::makeFolder, support::FileCall::makeTempFolder,
    support::FileCall::removeFolder };

struct ReadOnlyDisk {
    support::FaultyFileSystem files;
};

class ReadOnlyHall : private ReadOnlyDisk, public MainWindowRun {
protected:
    ReadOnlyHall()
        : MainWindowRun(ReadOnlyDisk::files)
    {
        saveShow(u8"周六.dat", saturday);
        writeCurrentShow(saturday);
        // What a crash left stays: it cannot be removed.
        std::ofstream(directory / ".dqqf.dat.a1B2c3") << "half";
        fs::create_directories(directory / ".import-k3Q9zA");
        before = everything();
        disk().resetCounts();
        disk().failEvery(writes, EROFS);
    }

    support::FaultyFileSystem& disk() { return ReadOnlyDisk::files; }

    int writeCalls()
    {
        int calls = 0;
        for (support::FileCall kind : writes)
            calls += disk().calls(kind);
        return calls;
    }

    std::map<std::string, std::string> everything()
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(directory))
            files[entry.path().string()]
                = entry.is_regular_file() ? contents(entry.path()) : "<folder>";
        return files;
    }

    std::string refusal()
    {
        return "数据文件夹 " + directory.string() + " 不能写入，无法保存更改。";
    }

    std::map<std::string, std::string> before;
};

TEST_F(ReadOnlyHall, StartsSaysSoOnceAndPlaysTheCurrentShow)
{
    start();

    EXPECT_FALSE(headless.process().exitCode());
    EXPECT_EQ(messageTexts(),
        std::vector<std::string> { "数据文件夹 " + directory.string()
            + " 不能写入（文件系统是只读的）：场次可以照常播放，但所有更改都不能保存。" });
    EXPECT_EQ(showRows(), std::vector<Text> { "*  周六" });
    EXPECT_EQ(application.windows.component(window, 树型框1)->tree.size(), 4u);
    EXPECT_EQ(application.globals.playQueue, std::vector<Text> { "/m/月光.mp3" });
    EXPECT_TRUE(views.trayTip());
    // The lock file was the only thing tried.
    EXPECT_EQ(writeCalls(), 1);
    EXPECT_EQ(everything(), before);
}

// Each command that would write is refused before it begins, with the one message; none
// opens a window to edit in, and nothing is written.
TEST_F(ReadOnlyHall, EveryChangeIsRefusedWithAMessage)
{
    start();
    const int startCalls = writeCalls();
    const std::vector<std::pair<const char*, std::function<void()>>> changes {
        { "save as", [&] { input.click(window, 另存列表按钮); } },
        { "new show", [&] { input.click(window, 新建列表按钮); } },
        { "load", [&] { input.doubleClick(window, 超级列表框1); } },
        { "track",
            [&] {
                headless.dialogs().answerNextOpenFile("/music/甲.mp3");
                input.rightClickTreeItem(window, 树型框1, 1);
            } },
        { "style editor", [&] { input.click(window, 曲风编辑按钮); } },
        { "style settings", [&] { input.click(styleWindow::window, styleWindow::按钮保存); } },
        { "even loudness", [&] { input.click(styleWindow::window, styleWindow::按钮均衡); } },
        { "light output", [&] { input.click(lightWindow::window, lightWindow::按钮保存); } },
        { "remote", [&] { input.click(remoteWindow::window, remoteWindow::按钮确定); } },
    };
    for (const ui::WindowId settings :
        { styleWindow::window, lightWindow::window, remoteWindow::window })
        application.windows.loadWindow(settings, false);
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        // A window that opened by mistake is closed again, so a failure here cannot hang.
        for (const ui::WindowId editing :
            { ids::SaveShowDialog::window, ids::StyleEditorWindow::window })
            headless.loop().post([this, editing] {
                if (application.windows.isLoaded(editing))
                    application.windows.close(editing, 0);
            });
        const std::size_t shown = messageTexts().size();
        change();
        headless.loop().processPending();
        ASSERT_EQ(messageTexts().size(), shown + 1);
        EXPECT_EQ(messageTexts().back(), refusal());
    }
    EXPECT_FALSE(application.windows.isLoaded(ids::SaveShowDialog::window));
    EXPECT_FALSE(application.windows.isLoaded(ids::StyleEditorWindow::window));
    EXPECT_EQ(writeCalls(), startCalls);
    EXPECT_EQ(everything(), before);
}

} // namespace
} // namespace app::test
