#pragma once
// The program's command line: the requests that run instead of the program (--version,
// --help, --import DIR) and the hall folder to use (--data DIR). The program itself reads
// nothing else from it.

#include <optional>
#include <string>
#include <vector>

namespace app {

struct ProgramOptions {
    enum class Request { Run, Version, Help, Import, Wrong };
    Request request = Request::Run;
    std::optional<std::string> dataFolder;
    std::string importSource;
    std::string wrong; // UTF-8: what is wrong with the command line
};

// arguments: the command line without the program name.
ProgramOptions parseProgramOptions(const std::vector<std::string>& arguments);

// UTF-8 texts for the terminal.
std::string versionText();
std::string helpText();

} // namespace app
