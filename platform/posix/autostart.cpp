#include "platform/autostart.h"

#include "platform/whole_files.h"

#include <cstdlib>
#include <filesystem>

namespace platform {
namespace {

// A value of a desktop entry holds one line; line breaks and backslashes are escaped.
std::string escapeValue(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\t':
            escaped += "\\t";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// One quoted argument of the Exec line; "%" starts a field code there.
std::string execArgument(const std::string& argument)
{
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c == '%' ? std::string("%%") : std::string(1, c);
    }
    return quoted + "\"";
}

} // namespace

std::optional<std::string> autostartDirectory()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/') {
        return std::string(configHome) + "/autostart";
    }
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') {
        return std::string(home) + "/.config/autostart";
    }
    return std::nullopt;
}

bool writeAutostartEntry(const std::string& directory, const std::string& name,
    const std::string& target, const std::vector<std::string>& arguments)
{
    if (name.empty()) {
        return false;
    }
    std::string fileName = name;
    for (char& c : fileName) {
        if (c == '/') {
            c = '_';
        }
    }
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
        return false;
    }
    std::string exec = execArgument(target);
    for (const std::string& argument : arguments)
        exec += " " + execArgument(argument);
    std::string entry = "[Desktop Entry]\n"
                        "Type=Application\n"
                        "Name="
        + escapeValue(name) + "\nExec=" + escapeValue(exec)
        + "\nIcon=dancehall\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
    return replaceFile(directory + "/" + fileName + ".desktop", entry);
}

} // namespace platform
