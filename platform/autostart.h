#pragma once
// Starting a program when the user logs in: an entry in the desktop's autostart folder.

#include <optional>
#include <string>
#include <vector>

namespace platform {

// $XDG_CONFIG_HOME/autostart, else ~/.config/autostart; nothing when neither is known.
[[nodiscard]] std::optional<std::string> autostartDirectory();

// Writes <directory>/<name>.desktop that starts target with arguments (UTF-8 name, native
// target path and arguments), creating the directory when needed. A "/" in the name
// becomes "_".
[[nodiscard]] bool writeAutostartEntry(const std::string& directory, const std::string& name,
    const std::string& target, const std::vector<std::string>& arguments = {});

} // namespace platform
