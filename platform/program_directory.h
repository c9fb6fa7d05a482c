#pragma once
// The directory that holds the running executable (where a build keeps the shipped
// defaults), and the current directory (the hall folder once the program has started).

#include <optional>
#include <string>

namespace platform {

// Without a trailing "/" (except for the root itself); nothing when it cannot be found.
[[nodiscard]] std::optional<std::string> executableDirectory();

// The current directory of the process; nothing when it cannot be found.
[[nodiscard]] std::optional<std::string> currentDirectory();

} // namespace platform
