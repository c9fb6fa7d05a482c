#pragma once
// The program's command line, read in one place. Qt has taken its own options out of argv
// before this runs.

#include <optional>
#include <string>
#include <variant>

namespace app {

struct CommandLine {
    // --data DIR (or --data=DIR): the hall folder to use instead of the default one.
    std::optional<std::string> dataFolder;
};

// What went wrong, for the terminal, with the usage.
struct CommandLineError {
    std::string message;
};

std::variant<CommandLine, CommandLineError> parseCommandLine(int argc, const char* const* argv);

} // namespace app
