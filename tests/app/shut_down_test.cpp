// Closing the main window: the notice for five seconds, the tray icon gone, the installed
// program registered to start at log-in, and the end of the program after the windows.

#include "tests/app/main_window_run.h"

#include "app/start_routine.h"

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

} // namespace
} // namespace app::test
