#pragma once
// A scratch hall holding three tracks of about 3 s each beside its tables, with the main
// window loaded: what the tests that play through the main window start from. The tests
// write their own shows.

#include "scratch_application.h"
#include "ui/templates/segment.h"
#include "ui/templates/window_ids.h"

#include <filesystem>
#include <string>

namespace app::test {

struct HallWithTracks : ScratchApplication {
    explicit HallWithTracks(const std::string& name)
        : ScratchApplication(name)
    {
        for (const char* file : { "cbr_stereo_44k.mp3", "cbr_mono_44k.mp3", "mpeg2_22k.mp3" })
            std::filesystem::copy_file(
                std::filesystem::path(MEDIA_TEST_DATA) / file, directory / file);
        application.windows.readTemplates(templates::segment());
        application.windows.loadWindow(ids::MainWindow::window, false);
    }
    // The player's threads read the tracks: they stop before the hall is removed.
    ~HallWithTracks()
    {
        application.trackPlayer.stopPlaying();
        headless.clock().stopAllThreads();
    }

    Text track(const char* name) const { return (directory / name).string(); }

    const std::filesystem::path& directory = scratch.path;
};

} // namespace app::test
