// dancehall: the program. Its data lives in the hall folder (--data DIR, $DANCEHALL_DATA,
// else $XDG_DATA_HOME/dancehall), which it makes its current directory.

#include "app/application.h"
#include "app/command_line.h"
#include "app/start_routine.h"

#include "platform/posix/path.h"
#include "platform/pulse/pulse_mixer.h"
#include "platform/pulse/pulse_output.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_view_factory.h"
#include "runtime/hall_folder.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <unistd.h>

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

// The hall folder, ready and current; nothing (after telling why) when it cannot be had.
std::optional<std::string> enterHallFolder(const app::CommandLine& line)
{
    auto hall = runtime::chooseHallFolder(line.dataFolder);
    if (!hall) {
        std::cerr << "dancehall: no hall folder: give --data DIR, or set DANCEHALL_DATA or HOME\n";
        return std::nullopt;
    }
    if (auto problem = runtime::prepareHallFolder(*hall, runtime::shippedDefaultsFolder())) {
        std::cerr << "dancehall: " << *problem << "\n";
        return std::nullopt;
    }
    if (::chdir(hall->c_str()) != 0) {
        std::cerr << "dancehall: cannot enter the hall folder " << *hall << "\n";
        return std::nullopt;
    }
    return hall;
}

} // namespace

int main(int argc, char** argv)
{
    chooseOffscreenWithoutDisplay();
    QApplication qt(argc, argv);
    auto parsed = app::parseCommandLine(argc, argv);
    if (const auto* error = std::get_if<app::CommandLineError>(&parsed)) {
        std::cerr << error->message;
        return 2;
    }
    auto hall = enterHallFolder(std::get<app::CommandLine>(parsed));
    if (!hall)
        return 1;
    platform::qt::QtPlatform desktop;
    platform::Platform platform = desktop.platform();
    runtime::Runtime runtime(platform);
    platform::qt::QtViewFactory views;
    // Without a sound server the application's default silent device keeps the show going.
    app::Application application(runtime, views, platform::pulse::pulseMixerFactory(),
        platform::pulse::pulseOutputFactory());
    application.programDirectory = platform::programPath(*hall);
    return app::runStartRoutine(application);
}
