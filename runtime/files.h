#pragma once
// File services on GBK paths: copy, delete, existence by pattern, the program directory
// and starting a program at logon. Failures show only in the results.

#include "platform/file_system.h"
#include "runtime/text.h"

#include <optional>
#include <vector>

namespace runtime {

// Names are found as the file system of the data would find them (runtime/file_names.h):
// "lb/周六.dat" reaches "lb/周六.DAT" or a name stored in GBK bytes.
// Copies from over to, replacing an existing destination atomically: a crash or a failed
// write leaves the old destination whole.
[[nodiscard]] bool copyFile(std::string_view from, std::string_view to,
    platform::FileSystem& files = platform::systemFileSystem());
[[nodiscard]] bool deleteFile(
    std::string_view path, platform::FileSystem& files = platform::systemFileSystem());
// The whole content of a regular file; nothing when it is missing or cannot be read.
[[nodiscard]] std::optional<std::string> readFile(
    std::string_view path, platform::FileSystem& files = platform::systemFileSystem());
// True when something matches; the last part of the path may hold "*" and "?", and names
// match without regard to ASCII letter case. A directory matches too.
[[nodiscard]] bool fileExists(std::string_view pathPattern);
// The path of what fileExists finds, so a caller opens the very file that was found (it may
// differ from the pattern in letter case); nothing when fileExists is false.
[[nodiscard]] std::optional<Text> findFile(std::string_view pathPattern);

// The folder of the program's data, without a trailing "/": the hall folder, which the
// program makes its current directory at start. "" when it cannot be found.
[[nodiscard]] Text programDirectory();
// The folder of the program file itself, without a trailing "/"; "" when it cannot be found.
[[nodiscard]] Text programFileDirectory();

// Starts target with arguments when the user logs in, under the entry name. False, and
// nothing written, when target does not exist. The registry and start-up folder variants of
// the command both come here: the desktop has one place for this.
[[nodiscard]] bool registerAutostart(
    std::string_view name, std::string_view target, const std::vector<Text>& arguments = {});

} // namespace runtime
