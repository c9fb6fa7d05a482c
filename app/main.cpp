// dancehall: the program. It runs from its hall folder, where its data files live; the
// command line can choose that folder or ask for a request that runs instead of the program.

#include "app/application.h"
#include "app/hall_import.h"
#include "app/program_options.h"
#include "app/start_routine.h"

#include "platform/posix/encoding.h"
#include "platform/posix/program_directory.h"
#include "platform/pulse/pulse_mixer.h"
#include "platform/pulse/pulse_output.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_view_factory.h"
#include "runtime/files.h"

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace {

constexpr int wrongCommandLine = 2;

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

std::string hallFolder(const app::ProgramOptions& options)
{
    if (options.dataFolder)
        return std::filesystem::absolute(*options.dataFolder).lexically_normal().string();
    return platform::executableDirectory().value_or(".");
}

int importInto(const app::ProgramOptions& options)
{
    app::ImportResult result = app::importHall(options.importSource, hallFolder(options));
    for (const std::string& line : result.report)
        (result.imported ? std::cout : std::cerr) << line << '\n';
    return result.imported ? EXIT_SUCCESS : EXIT_FAILURE;
}

// Only the installed program starts itself at log-in: a build started from its source tree
// would otherwise come back at every log-in of its developer.
std::vector<runtime::Text> startAtLogIn(const app::ProgramOptions& options)
{
    auto directory = platform::executableDirectory();
    std::error_code error;
    if (!directory
        || !std::filesystem::equivalent(
            *directory + "/dancehall", DANCEHALL_INSTALLED_PROGRAM, error))
        return {};
    std::vector<runtime::Text> command = { platform::utf8ToGbk(DANCEHALL_INSTALLED_PROGRAM) };
    if (options.dataFolder) {
        command.push_back("--data");
        command.push_back(platform::utf8ToGbk(hallFolder(options)));
    }
    return command;
}

} // namespace

int main(int argc, char** argv)
{
    const app::ProgramOptions options
        = app::parseProgramOptions(std::vector<std::string>(argv + 1, argv + argc));
    switch (options.request) {
    case app::ProgramOptions::Request::Version:
        std::cout << app::versionText();
        return EXIT_SUCCESS;
    case app::ProgramOptions::Request::Help:
        std::cout << app::helpText();
        return EXIT_SUCCESS;
    case app::ProgramOptions::Request::Wrong:
        std::cerr << "dancehall: " << options.wrong << "\n\n" << app::helpText();
        return wrongCommandLine;
    case app::ProgramOptions::Request::Import:
        return importInto(options);
    case app::ProgramOptions::Request::Run:
        break;
    }

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
    application.startAtLogIn = startAtLogIn(options);
    return app::runStartRoutine(application);
}
