#pragma once
// Looks for files the way the program's data expects: "*" and "?" in the last part of the
// path, names compared without regard to ASCII letter case. Directories match like files.
// The directory part is taken literally.

#include "platform/file_system.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// True when some entry of the directory matches the pattern's last part.
[[nodiscard]] bool anyFileMatches(
    const std::string& nativePattern, FileSystem& files = systemFileSystem());
// The path of the entry that anyFileMatches finds: the pattern itself when it names an
// entry, else the first entry of its directory that matches; nothing when none does.
[[nodiscard]] std::optional<std::string> firstFileMatch(
    const std::string& nativePattern, FileSystem& files = systemFileSystem());

// "*" matches any run of characters, "?" exactly one; UTF-8 characters count as one.
[[nodiscard]] bool wildcardMatch(std::string_view pattern, std::string_view name);

} // namespace platform
