#pragma once
// One run of the whole program on the headless platform in virtual time: recording views,
// simulated input and a simulated master volume. Its files go through `files`, so a test may
// hand it one that fails, and its wall clock starts at `wallMillis`. It makes no hall folder:
// the test or driver that owns one names it as the program directory.

#include "app/application.h"
#include "app/globals.h"
#include "backends/headless/headless_platform.h"
#include "backends/headless/recording_views.h"
#include "media/simulated_mixer.h"
#include "platform/file_system.h"
#include "runtime/runtime.h"
#include "ui/input.h"
#include "ui/templates/segment.h"
#include "ui/templates/window_ids.h"

#include <cstdint>
#include <memory>

namespace app::test {

struct HeadlessProgram {
    explicit HeadlessProgram(
        std::int64_t wallMillis = platform::headless::HeadlessClock::defaultStartWallMillis,
        platform::FileSystem& files = platform::systemFileSystem())
        : headless(wallMillis)
        , platform { headless.loop(), headless.dialogs(), headless.process(), files }
    {
    }
    ~HeadlessProgram() { stop(); }
    HeadlessProgram(const HeadlessProgram&) = delete;
    HeadlessProgram& operator=(const HeadlessProgram&) = delete;

    // What the start routine does up to its message loop: the templates, the globals and the
    // main window with its start-up.
    void start()
    {
        application.windows.readTemplates(templates::segment());
        initGlobals(application.globals);
        application.windows.loadStartWindow(ids::MainWindow::window);
    }
    // Ends the playing track and every thread on the clock; a test that removes the hall
    // folder calls it first, as those threads read and write there.
    void stop()
    {
        application.trackPlayer.stopPlaying();
        headless.clock().stopAllThreads();
    }

    platform::headless::HeadlessPlatform headless;
    platform::Platform platform;
    runtime::Runtime runtime { platform };
    ui::headless::RecordingViews views;
    std::shared_ptr<media::SimulatedMixer> mixer
        = std::make_shared<media::SimulatedMixer>(headless.clock());
    Application application { runtime, views, media::simulatedMixerFactory(mixer) };
    ui::Input input { application.windows };
};

} // namespace app::test
