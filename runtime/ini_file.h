#pragma once
// Reading and writing entries of INI files by path (GBK paths; the file may be edited by
// hand too). A write replaces the file atomically, so a reader on another thread sees the
// old or the new content, never a half-written file.

#include "platform/file_system.h"
#include "runtime/text.h"

#include <optional>
#include <utility>
#include <vector>

namespace runtime {

// Longest value a read returns, in bytes (the rest is cut off).
constexpr std::size_t maxIniValueLength = 10239;

// Bytes of value 32 or below are skipped at the start of file, section and key; when one
// of them is then empty the result is "" whatever the default. A missing file, section or
// key gives the default, or "" without one.
[[nodiscard]] Text readIniEntry(std::string_view file, std::string_view section,
    std::string_view key, const std::optional<Text>& defaultValue = {},
    platform::FileSystem& files = platform::systemFileSystem());
// readIniEntry on a file's content already in memory; nothing stands for a missing or
// unreadable file.
[[nodiscard]] Text iniEntryIn(std::optional<std::string_view> content, std::string_view section,
    std::string_view key, const std::optional<Text>& defaultValue = {});

// Sets the entry, creating the file when missing. No value removes the key, no key removes
// the whole section. False when nothing could be written.
[[nodiscard]] bool writeIniEntry(std::string_view file, std::string_view section,
    const std::optional<Text>& key, const std::optional<Text>& value,
    platform::FileSystem& files = platform::systemFileSystem());

// Sets several keys of one section, in order, as writeIniEntry would one by one, but with
// one replacement of the file: all of them are written or none.
[[nodiscard]] bool writeIniSection(std::string_view file, std::string_view section,
    const std::vector<std::pair<Text, Text>>& entries,
    platform::FileSystem& files = platform::systemFileSystem());

} // namespace runtime
