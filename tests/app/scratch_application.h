#pragma once
// The application on the headless platform, with recording views and simulated input, whose
// program directory is a scratch copy of the installation: what the window tests drive.

#include "app/application.h"
#include "backends/headless/headless_platform.h"
#include "backends/headless/recording_views.h"
#include "private_session.h"
#include "runtime/runtime.h"
#include "ui/input.h"

#include <string>

namespace app::test {

struct ScratchApplication {
    explicit ScratchApplication(const std::string& name, ui::Point screen = { 1024, 768 },
        lights::LightOutputFactory lightOutputs = {})
        : scratch(name)
        , views(screen)
        , application(
              runtime, views, [] { return std::unique_ptr<media::Mixer>(); }, {},
              std::move(lightOutputs))
    {
        application.programDirectory = scratch.path.string();
    }

    // Made before the application, so the main window's start-up locks inside it.
    ScratchProgramDirectory scratch;
    platform::headless::HeadlessPlatform headless;
    platform::Platform platform = headless.platform();
    runtime::Runtime runtime { platform };
    ui::headless::RecordingViews views;
    Application application;
    ui::Input input { application.windows };
};

} // namespace app::test
