// dancehall: the program. Its data lives in the hall folder (--data DIR, $DANCEHALL_DATA,
// else $XDG_DATA_HOME/dancehall), which it makes its current directory. --version, --help
// and --import DIR run instead of the program.

#include "app/application.h"
#include "app/command_line.h"
#include "app/hall_import.h"
#include "app/start_routine.h"

#include "backends/ola/ola_light_outputs.h"
#include "backends/pulse/pulse_mixer.h"
#include "backends/pulse/pulse_output.h"
#include "backends/qt/qt_platform.h"
#include "backends/qt/qt_view_factory.h"
#include "backends/remote/remote_servers.h"
#include "platform/path.h"
#include "platform/program_directory.h"
#include "runtime/hall_folder.h"

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <future>
#include <iostream>
#include <unistd.h>

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

std::optional<std::string> chooseHallFolder(const app::CommandLine& line)
{
    auto hall = runtime::chooseHallFolder(line.dataFolder);
    if (!hall)
        std::cerr << "dancehall: no hall folder: give --data DIR, or set DANCEHALL_DATA or HOME\n";
    return hall;
}

// The hall folder, ready and current; nothing (after telling why) when it cannot be had.
std::optional<std::string> enterHallFolder(const app::CommandLine& line)
{
    auto hall = chooseHallFolder(line);
    if (!hall)
        return std::nullopt;
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

int importInto(const app::CommandLine& line)
{
    auto hall = chooseHallFolder(line);
    if (!hall)
        return EXIT_FAILURE;
    app::ImportResult result = app::importHall(line.importSource, *hall);
    for (const std::string& report : result.report)
        (result.imported ? std::cout : std::cerr) << report << '\n';
    return result.imported ? EXIT_SUCCESS : EXIT_FAILURE;
}

// The requests that run instead of the program; nothing for a start of the program.
std::optional<int> runRequest(const app::CommandLine& line)
{
    switch (line.request) {
    case app::CommandLine::Request::Version:
        std::cout << app::versionText();
        return EXIT_SUCCESS;
    case app::CommandLine::Request::Help:
        std::cout << app::usageText();
        return EXIT_SUCCESS;
    case app::CommandLine::Request::Import:
        return importInto(line);
    case app::CommandLine::Request::Run:
        break;
    }
    return std::nullopt;
}

// Only the installed program starts itself at log-in, and on the hall folder it runs on now:
// a build started from its source tree would otherwise come back at every log-in of its
// developer.
std::vector<runtime::Text> startAtLogIn(const std::string& hall)
{
    auto directory = platform::executableDirectory();
    std::error_code error;
    if (!directory
        || !std::filesystem::equivalent(
            *directory + "/dancehall", DANCEHALL_INSTALLED_PROGRAM, error))
        return {};
    return { platform::programPath(DANCEHALL_INSTALLED_PROGRAM), "--data",
        platform::programPath(hall) };
}

} // namespace

int main(int argc, char** argv)
{
    // Read before Qt starts, so that these requests need no display. A line that fails here
    // may hold Qt's own options, which only a start of the program takes.
    auto early = app::parseCommandLine(argc, argv);
    if (const auto* line = std::get_if<app::CommandLine>(&early)) {
        if (auto exitCode = runRequest(*line))
            return *exitCode;
    }

    chooseOffscreenWithoutDisplay();
    // The sound server is reached while Qt starts: each takes milliseconds, mostly waiting.
    auto soundOutputs = std::async(std::launch::async, platform::pulse::pulseOutputFactory);
    media::MixerFactory mixers = platform::pulse::pulseMixerFactory();
    QApplication qt(argc, argv);
    auto parsed = app::parseCommandLine(argc, argv);
    if (const auto* error = std::get_if<app::CommandLineError>(&parsed)) {
        std::cerr << error->message;
        return wrongCommandLine;
    }
    const auto& line = std::get<app::CommandLine>(parsed);
    if (auto exitCode = runRequest(line))
        return *exitCode;
    auto hall = enterHallFolder(line);
    if (!hall)
        return EXIT_FAILURE;
    platform::qt::QtPlatform desktop;
    platform::Platform platform = desktop.platform();
    runtime::Runtime runtime(platform);
    platform::qt::QtViewFactory views;
    // Without a sound server the application's default silent device keeps the show going;
    // without olad the lamps on the screen do.
    app::Application application(runtime, views, std::move(mixers), soundOutputs.get(),
        platform::ola::olaLightOutputs(), remote::remoteServers());
    application.programDirectory = platform::programPath(*hall);
    application.startAtLogIn = startAtLogIn(*hall);
    application.offerResume = line.offerResume;
    return app::runStartRoutine(application);
}
