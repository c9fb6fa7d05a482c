#include "app/command_line.h"

#include <string_view>

namespace app {
namespace {

constexpr char usage[] = "usage: dancehall [--data DIR]\n"
                         "  --data DIR  use the hall folder DIR (default: $DANCEHALL_DATA, else "
                         "$XDG_DATA_HOME/dancehall)\n";

CommandLineError error(const std::string& what)
{
    return { "dancehall: " + what + "\n" + usage };
}

} // namespace

std::variant<CommandLine, CommandLineError> parseCommandLine(int argc, const char* const* argv)
{
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        std::optional<std::string_view> value;
        if (argument == "--data") {
            if (i + 1 >= argc)
                return error("--data needs a folder");
            value = argv[++i];
        } else if (argument.starts_with("--data=")) {
            value = argument.substr(7);
        } else {
            return error("unknown argument " + std::string(argument));
        }
        if (value->empty())
            return error("--data needs a folder");
        line.dataFolder = std::string(*value);
    }
    return line;
}

} // namespace app
