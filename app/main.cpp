// dancehall: the program. It runs from its program directory (the executable's folder),
// where its data files live, and reads no command-line arguments.

#include "app/application.h"
#include "app/start_routine.h"

#include "platform/pulse/pulse_mixer.h"
#include "platform/pulse/pulse_output.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_view_factory.h"
#include "runtime/files.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>

namespace {

// Without a desktop Qt would abort; the offscreen platform keeps the program running, and
// the operator is told why no window appears.
void chooseOffscreenWithoutDisplay()
{
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    if (set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY"))
        return;
    std::cerr << "dancehall: no display found; running on the offscreen platform, so no window "
                 "will be visible.\n";
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

} // namespace

int main(int argc, char** argv)
{
    chooseOffscreenWithoutDisplay();
    QApplication qt(argc, argv);
    platform::qt::QtPlatform desktop;
    platform::Platform platform = desktop.platform();
    runtime::Runtime runtime(platform);
    runtime::enterProgramDirectory();
    platform::qt::QtViewFactory views;
    // Without a sound server the application's default silent device keeps the show going.
    app::Application application(runtime, views, platform::pulse::pulseMixerFactory(),
        platform::pulse::pulseOutputFactory());
    return app::runStartRoutine(application);
}
