#pragma once
// Whole folders on native paths, built on FileSystem's single-folder calls: making a path of
// folders, copying a folder with everything in it, removing one with everything in it.
// Symbolic links are never followed into: a link inside a removed tree goes as a name.

#include "platform/file_system.h"

#include <string>

namespace platform {

// Makes the folder and every missing one above it; 0 when the path is a folder now, else
// the negative errno of the step that failed (-ENOTDIR where a file stands in the way).
[[nodiscard]] int makeFolders(
    const std::string& path, unsigned permissions, FileSystem& files = systemFileSystem());

// Removes what is at path: a file or link by its name, a folder with all it holds. 0 when
// nothing is left (nothing there at all included), else the first failure's negative errno.
[[nodiscard]] int removeTree(const std::string& path, FileSystem& files = systemFileSystem());

// Copies a regular file, or a folder with its files and folders, to a new path; links and
// other kinds inside are left out. Copies take the source's permissions, folders writable by
// their owner so they can be filled.
[[nodiscard]] int copyTree(
    const std::string& from, const std::string& to, FileSystem& files = systemFileSystem());

} // namespace platform
