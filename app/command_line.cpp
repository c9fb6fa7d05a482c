#include "app/command_line.h"

#include <string_view>

namespace app {
namespace {

constexpr char usage[]
    = "usage: dancehall [--data DIR] [--no-resume]\n"
      "       dancehall [--data DIR] --import OLD-DIR\n"
      "       dancehall --version | --help\n"
      "  --data DIR        use the hall folder DIR (default: $DANCEHALL_DATA, else\n"
      "                    $XDG_DATA_HOME/dancehall)\n"
      "  --import OLD-DIR  check an existing installation's tables, ss.dat and lb/ and copy\n"
      "                    them into the hall folder, then exit; nothing is copied when a\n"
      "                    file is damaged\n"
      "  --no-resume       never offer to carry on an evening that ended abnormally\n"
      "  --version         print the version and exit\n"
      "  --help            print this help and exit\n"
      "The manual: /usr/share/doc/dancehall/manual/index.html\n";

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
        if (argument == "--version" || argument == "--help") {
            // Asking for information always wins: nothing else on the line runs.
            line.request = argument == "--version" ? CommandLine::Request::Version
                                                   : CommandLine::Request::Help;
            return line;
        }
        if (argument == "--no-resume") {
            line.offerResume = false;
            continue;
        }
        std::string_view option = argument.substr(0, argument.find('='));
        if (option != "--data" && option != "--import")
            return error("unknown argument " + std::string(argument));
        std::string_view value;
        if (option.size() < argument.size()) {
            value = argument.substr(option.size() + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        }
        if (value.empty())
            return error(std::string(option) + " needs a folder");
        // As with most programs, a later option overrides an earlier one.
        const bool data = option == "--data";
        if (data) {
            line.dataFolder = std::string(value);
        } else {
            line.importSource = std::string(value);
            line.request = CommandLine::Request::Import;
        }
    }
    return line;
}

std::string versionText()
{
    return "dancehall " DANCEHALL_VERSION "\n";
}

std::string usageText()
{
    return usage;
}

} // namespace app
