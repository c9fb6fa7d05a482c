#pragma once
// Paths of the program are GBK texts; the file system holds UTF-8 names. Every path a
// runtime service receives goes through nativePath before it reaches a system call, and
// every name read back from the file system through programPath.
// Separators are not rewritten: "/" is the separator on both sides.

#include <string>
#include <string_view>

namespace platform {

[[nodiscard]] std::string nativePath(std::string_view gbkPath);
[[nodiscard]] std::string programPath(std::string_view nativePath);

} // namespace platform
