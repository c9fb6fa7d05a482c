// Closing the main window: the notice for five seconds, the tray icon gone, the installed
// program registered to start at log-in, and the end of the program after the windows.

#include "tests/app/main_window_run.h"

#include "app/start_routine.h"
#include "app/style_settings_file.h"
#include "ui/unit_properties.h"

#include <algorithm>
#include <fstream>

namespace app::test {
namespace {

using namespace ids::MainWindow;

class ShutDown : public MainWindowRun {
protected:
    // Runs the program and closes its main window as soon as the loop runs.
    int runAndClose()
    {
        headless.loop().post([this] {
            closedAt = headless.clock().now();
            application.globals.playQueue = { "/m/月光.mp3" };
            application.globals.currentStyle.set("慢四");
            input.requestClose(window);
        });
        return runStartRoutine(application);
    }

    bool shown(const std::string& line)
    {
        auto transcript = views.transcript();
        return std::find(transcript.begin(), transcript.end(), line) != transcript.end();
    }

    // Right-clicks the style editor's slot list and picks the menu entry with this caption.
    void chooseInEditorMenu(const char* caption)
    {
        namespace editor = ids::StyleEditorWindow;
        input.rightClick(editor::window, editor::超级列表框1);
        const std::vector<ui::headless::ShownMenu> menus = views.menus();
        ASSERT_FALSE(menus.empty());
        for (const ui::MenuEntry& entry : menus.back().entries)
            if (entry.caption == caption)
                input.menuCommand(editor::window, entry.commandId);
    }

    fs::path autostartEntry() const
    {
        return directory / "config" / "autostart" / u8"舞厅播放器.desktop";
    }

    platform::Millis closedAt = -1;
};

TEST_F(ShutDown, ShowsTheNoticeForFiveSecondsRemovesTheTrayIconAndEnds)
{
    std::int32_t lightLock = 0;
    bool mainLoadedAtEnd = true;
    runtime.addEndStep([&] {
        lightLock = application.globals.lightLock;
        mainLoadedAtEnd = application.windows.isLoaded(window);
    });

    EXPECT_EQ(runAndClose(), 0);

    EXPECT_EQ(headless.process().exitCode(), 0);
    EXPECT_TRUE(messageTexts().empty()) << messageTexts()[0];
    EXPECT_GE(headless.clock().now() - closedAt, 5000);
    EXPECT_TRUE(shown("0x520108f5 show"));
    EXPECT_TRUE(shown("0x520108f5 destroy"));
    EXPECT_TRUE(shown("0x52010001 tray removed"));
    EXPECT_FALSE(views.trayTip());
    // Deleted already: a second delete finds nothing.
    EXPECT_FALSE(application.threads.deleteSection(lightLock));
    // The windows went before the globals were released.
    EXPECT_FALSE(mainLoadedAtEnd);
    EXPECT_TRUE(application.globals.playQueue.empty());
    EXPECT_TRUE(application.globals.currentStyle.get().empty());
    EXPECT_FALSE(fs::exists(autostartEntry()));
}

// The start-up turns the master volume full up and fades move it; the desktop's own volume
// comes back at the end.
TEST_F(ShutDown, PutsTheDesktopVolumeBack)
{
    ASSERT_TRUE(mixer->setVolumes({ 41000, 30000 }));
    EXPECT_EQ(runAndClose(), 0);
    auto history = mixer->history();
    ASSERT_GE(history.size(), 3u);
    EXPECT_EQ(history[1].values, (std::vector<std::int64_t> { 65535, 65535 }));
    EXPECT_EQ(history.back().values, (std::vector<std::int64_t> { 41000, 30000 }));
}

TEST_F(ShutDown, RegistersTheInstalledProgramToStartAtLogIn)
{
    std::ofstream(directory / "dancehall") << "program";
    std::ofstream(directory / u8"播放器.exe") << "an old installation's companion";
    application.startAtLogIn = { (directory / "dancehall").string(), "--data", "/srv/hall" };

    runAndClose();

    ASSERT_TRUE(fs::exists(autostartEntry()));
    EXPECT_NE(
        contents(autostartEntry())
            .find("Exec=\"" + (directory / "dancehall").string() + "\" \"--data\" \"/srv/hall\"\n"),
        std::string::npos)
        << contents(autostartEntry());
}

TEST_F(ShutDown, RegistersNothingForAProgramThatIsNotInstalled)
{
    std::ofstream(directory / u8"播放器.exe") << "an old installation's companion";

    runAndClose();

    EXPECT_FALSE(fs::exists(autostartEntry()));
}

// The style editor stores the show's slots as it goes. Closing the program with the editor
// open ends the editor as well, so its edits are kept, not taken for unsaved work to drop.
TEST_F(ShutDown, ClosingWithTheStyleEditorOpenKeepsItsEdits)
{
    namespace editor = ids::StyleEditorWindow;
    saveShow(u8"周六.dat", { { "1", "慢四", "月光", "/m/月光.mp3" }, { "2", "探戈", "", "" } });
    headless.loop().post([this] {
        // Runs in the editor's own loop: the operator deletes the second slot, then closes the
        // main window behind the editor.
        headless.loop().post([this] {
            application.windows.setProperty(
                editor::window, editor::超级列表框1, ui::prop::listView::currentRow, 1);
            chooseInEditorMenu("删除");
            input.requestClose(window);
        });
        input.click(window, 曲风编辑按钮);
    });

    EXPECT_EQ(runStartRoutine(application), 0);

    const std::vector<std::string> messages = messageTexts();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front(), "删除成功！");
    EXPECT_EQ(
        std::count(messages.begin(), messages.end(), "当前场次有未保存的修改，是否放弃？"), 0);
    EXPECT_TRUE(shown("0x520108f5 show"));
    const std::string saved = contents(directory / "lb" / u8"周六.dat");
    EXPECT_TRUE(saved == contents(directory / "dqqf.dat")) << "the show file is not the table";
    EXPECT_EQ(saved.find("探戈"), std::string::npos) << "the deleted slot is still in the show";
}

// The operator keeps the program open when asked about a show never saved, while the style
// chooser of an edit is open: the edit ends untouched, nothing acts on the gone editor.
TEST_F(ShutDown, KeepingTheProgramOpenFromTheStyleChooserLeavesNoEditHalfDone)
{
    namespace editor = ids::StyleEditorWindow;
    writeCurrentShow({ { "1", "慢四", "月光", "/m/月光.mp3" } });
    headless.dialogs().answerNextMessageBox(platform::Button::Cancel);
    bool editorLeftOpen = true;
    std::size_t slotsLeft = 0;
    headless.loop().post([&] {
        application.windows.setProperty(
            window, 标签场次, ui::prop::label::caption, Text("新建场次"));
        headless.loop().post([&] {
            headless.loop().post([&] {
                input.requestClose(window); // in the chooser's loop: kept open
                headless.loop().post([&] {
                    editorLeftOpen = application.windows.isLoaded(editor::window)
                        || application.windows.isLoaded(ids::StylePickDialog::window);
                    slotsLeft = readCurrentShow(application).size();
                    input.requestClose(window);
                });
            });
            chooseInEditorMenu("添加");
        });
        input.click(window, 曲风编辑按钮);
    });

    EXPECT_EQ(runStartRoutine(application), 0);

    EXPECT_FALSE(editorLeftOpen);
    EXPECT_EQ(messageTexts(),
        (std::vector<std::string> {
            "当前场次有未保存的修改，是否放弃？", "当前场次有未保存的修改，是否放弃？" }));
    EXPECT_EQ(slotsLeft, 1u);
    // The second close let the show go.
    EXPECT_TRUE(readCurrentShow(application).empty());
}

class ShutDownWhilePlaying : public ShutDown {
protected:
    ShutDownWhilePlaying()
    {
        // About 120 s, long enough for a one-minute limit.
        std::ofstream out(directory / "long.mp3", std::ios::binary);
        for (int copy = 0; copy < 40; ++copy)
            out << std::ifstream(fs::path(MEDIA_TEST_DATA) / "cbr_stereo_44k.mp3", std::ios::binary)
                       .rdbuf();
    }

    // Runs the program: Play at once, the close requested at `closeAt`; returns the exit code.
    int playAndCloseAt(platform::Millis closeAt)
    {
        const auto at = [this](platform::Millis when, std::function<void()> fn) {
            auto timer = std::make_shared<platform::TimerId>();
            *timer = headless.loop().startTimer(when, [this, timer, fn = std::move(fn)] {
                headless.loop().stopTimer(*timer);
                fn();
            });
        };
        headless.loop().post([this, closeAt, at] {
            const platform::Millis started = headless.clock().now();
            input.click(window, 播放按钮);
            at(closeAt, [this] {
                closedAt = headless.clock().now();
                input.requestClose(window);
            });
            // Halfway through the notice: the loop runs, so the notice can paint.
            at(closeAt + 2500, [this, started, closeAt] {
                noticeShownWhileLoopRan = headless.clock().now() - started < closeAt + 2600
                    && std::get<bool>(application.windows.property(
                        ids::ClosingNotice::window, ids::ClosingNotice::self, windowVisible));
            });
        });
        runtime.addEndStep([this] { endedAt = headless.clock().now(); });
        return runStartRoutine(application);
    }

    std::string track(const char* name) const { return (directory / name).string(); }

    static constexpr int windowVisible = 5;
    bool noticeShownWhileLoopRan = false;
    platform::Millis endedAt = -1;
};

TEST_F(ShutDownWhilePlaying, TheNoticeShowsForFiveSecondsWhileNothingOfTheShowActs)
{
    // The track ends and the next is missing 2 s into the notice: no question may come. The
    // show is a saved one, so closing has no unsaved changes to ask about either.
    fs::copy_file(fs::path(MEDIA_TEST_DATA) / "cbr_stereo_44k.mp3", directory / "short.mp3");
    saveShow(u8"周六.dat",
        { { "1", "慢四", "月光", track("short.mp3") },
            { "2", "探戈", "晚风", track("gone.mp3") } });

    EXPECT_EQ(playAndCloseAt(1000), 0);

    EXPECT_EQ(headless.process().exitCode(), 0);
    EXPECT_TRUE(messageTexts().empty()) << messageTexts()[0];
    EXPECT_TRUE(noticeShownWhileLoopRan);
    EXPECT_NEAR(endedAt - closedAt, 5000, 200);
}

TEST_F(ShutDownWhilePlaying, EndsInFiveSecondsDuringATimeLimitFade)
{
    ASSERT_TRUE(writeStyleValue(application, "探戈", styleKeys::timeLimit, "1"));
    writeCurrentShow({ { "1", "探戈", "长", track("long.mp3") } });

    EXPECT_EQ(playAndCloseAt(45'000), 0); // the fade runs from about 37 s to 62 s

    EXPECT_EQ(headless.process().exitCode(), 0);
    EXPECT_NEAR(endedAt - closedAt, 5000, 200);
}

TEST_F(ShutDownWhilePlaying, ATimeLimitDueDuringTheNoticeDoesNotAct)
{
    ASSERT_TRUE(writeStyleValue(application, "探戈", styleKeys::timeLimit, "1"));
    writeCurrentShow(
        { { "1", "探戈", "长", track("long.mp3") }, { "2", "探戈", "长", track("long.mp3") } });
    std::vector<std::int64_t> volumesAtEnd;
    runtime.addEndStep([this, &volumesAtEnd] {
        for (const auto& change : mixer->history())
            volumesAtEnd.push_back(change.values[0]);
    });

    EXPECT_EQ(playAndCloseAt(33'000), 0); // the limit is due at 35 s

    EXPECT_NEAR(endedAt - closedAt, 5000, 200);
    ASSERT_FALSE(volumesAtEnd.empty());
    EXPECT_EQ(volumesAtEnd.back(), 65'200); // no fade-out began
}

TEST_F(ShutDownWhilePlaying, EndsInFiveSecondsWithTheShowStoppedByATimeLimitFade)
{
    ASSERT_TRUE(writeStyleValue(application, "探戈", styleKeys::timeLimit, "1"));
    writeCurrentShow({ { "1", "探戈", "长", track("long.mp3") } });

    EXPECT_EQ(playAndCloseAt(70'000), 0);

    EXPECT_EQ(headless.process().exitCode(), 0);
    EXPECT_NEAR(endedAt - closedAt, 5000, 200);
}

} // namespace
} // namespace app::test
