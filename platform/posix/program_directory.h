#pragma once
// The directory that holds the running executable: the program's data lives beside it.

#include <optional>
#include <string>

namespace platform {

// Without a trailing "/" (except for the root itself); nothing when it cannot be found.
std::optional<std::string> executableDirectory();

// Makes directory the current directory of the process.
bool enterDirectory(const std::string& directory);

} // namespace platform
