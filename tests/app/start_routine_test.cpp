// The start routine on the headless platform: the main window comes up from the embedded
// templates, and at the program's end the windows go before the globals are released.

#include "app/application.h"
#include "app/start_routine.h"
#include "backends/headless/recording_views.h"
#include "private_session.h"

#include "backends/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace app::test {
namespace {

namespace fs = std::filesystem;

constexpr ui::WindowId mainWindow = 0x52010001;

class StartRoutine : public ::testing::Test {
protected:
    // The program takes the single-instance lock of its hall folder: a private folder keeps a
    // running copy of the program, or another test, from holding it.
    StartRoutine() { application.programDirectory = hallFolder.string(); }
    ~StartRoutine() override
    {
        headless.clock().settle(); // the evening log's writer may still be writing there
        fs::remove_all(hallFolder);
    }

    const fs::path hallFolder = makeScratchDirectory("start_routine");
    platform::headless::HeadlessPlatform headless;
    platform::Platform platform = headless.platform();
    runtime::Runtime runtime { platform };
    ui::headless::RecordingViews views;
    Application application { runtime, views };
};

TEST_F(StartRoutine, ShowsTheMainWindowAndReleasesTheGlobalsAfterTheWindowsAtTheEnd)
{
    bool loadedWhileRunning = false;
    bool loadedAtCleanUp = true;
    headless.loop().post([&] {
        loadedWhileRunning = application.windows.isLoaded(mainWindow);
        application.globals.playing.path = "/music/a.mp3";
        application.globals.playQueue = { "/music/a.mp3", "/music/b.mp3" };
        application.globals.channelState[15] = "1";
        application.globals.currentStyle.set("慢四");
        runtime.addEndStep([&] { loadedAtCleanUp = application.windows.isLoaded(mainWindow); });
        runtime.endProgram(0);
    });

    EXPECT_EQ(runStartRoutine(application), 0);

    EXPECT_TRUE(loadedWhileRunning);
    EXPECT_FALSE(loadedAtCleanUp);
    EXPECT_EQ(headless.process().exitCode(), 0);
    const Globals& globals = application.globals;
    EXPECT_TRUE(globals.playing.path.empty());
    EXPECT_TRUE(globals.playQueue.empty());
    EXPECT_TRUE(globals.channelState[15].empty());
    EXPECT_TRUE(globals.currentStyle.get().empty());
}

} // namespace
} // namespace app::test
