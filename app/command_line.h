#pragma once
// The program's command line, read in one place: the hall folder to use, and the requests
// that run instead of the program (--version, --help, --import DIR). Read once before Qt
// starts, so that these requests need no display, and once more after Qt has taken its own
// options out of argv.

#include <optional>
#include <string>
#include <variant>

namespace app {

struct CommandLine {
    enum class Request { Run, Version, Help, Import };
    Request request = Request::Run;
    // --data DIR (or --data=DIR): the hall folder to use instead of the default one.
    std::optional<std::string> dataFolder;
    // --import DIR (or --import=DIR): an existing installation's folder to bring in.
    std::string importSource;
    // Cleared by --no-resume: a start after an abnormal end never asks to carry on.
    bool offerResume = true;
};

// What went wrong, for the terminal, with the usage.
struct CommandLineError {
    std::string message;
};

std::variant<CommandLine, CommandLineError> parseCommandLine(int argc, const char* const* argv);

// For the terminal: "dancehall <version>" and the usage with every option.
[[nodiscard]] std::string versionText();
[[nodiscard]] std::string usageText();

} // namespace app
