#pragma once
// Whole-file reading, atomic replacement, copy and delete on native paths.
//
// A file is replaced by writing a temporary file beside it, syncing it and renaming it over
// the target: a reader, or a crash at any moment, sees either the old file or the new one
// whole, never a mixture.

#include "platform/file_system.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The whole content of a regular file, or nothing when it cannot be read.
[[nodiscard]] std::optional<std::string> readWholeFile(
    const std::string& path, FileSystem& files = systemFileSystem());

// Puts content in place of the file at path (created when missing; an existing file keeps
// its permissions). A file that may not be written (read-only, not a regular file) is
// left as it is and the result is false.
[[nodiscard]] bool replaceFile(
    const std::string& path, std::string_view content, FileSystem& files = systemFileSystem());

// Copies a regular file over to, replacing to atomically; a new copy takes the source's
// permissions, a replaced file keeps its own. A destination that may not be written is left
// as it is and the result is false.
[[nodiscard]] bool copyFileReplacing(
    const std::string& from, const std::string& to, FileSystem& files = systemFileSystem());

// Removes a file; false when it is missing or is a folder.
[[nodiscard]] bool deleteFile(const std::string& path, FileSystem& files = systemFileSystem());

// True for the temporary file a replacement of a file whose name ends in targetSuffix
// (".dat", any case) writes first: what a crash in the middle of it leaves behind.
[[nodiscard]] bool isReplacementLeftover(std::string_view name, std::string_view targetSuffix);

} // namespace platform
