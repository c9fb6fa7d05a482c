#pragma once
// File names as the program's data expects them: GBK texts compared the way the original
// file system compared them, ASCII letters in any case. A hall folder copied from an
// existing installation keeps its names as they were, so an entry on disk may be named in
// GBK bytes, or "周六.DAT" where the program asks for "周六.dat"; both are found here.

#include "runtime/text.h"

#include <string>
#include <vector>

namespace runtime {

// The GBK name of a directory entry: a name in valid UTF-8 is converted, any other name is
// taken to be GBK already.
[[nodiscard]] Text entryName(std::string_view nativeName);

// Equal as file names: ASCII letters in any case, double-byte characters as units (their
// trail byte may look like a Latin letter and must not be folded).
[[nodiscard]] bool sameFileName(std::string_view a, std::string_view b);

// The native path of a GBK path: its folder part converted, its last part the existing
// entry of the same name when there is one, else the converted name (for a new file).
[[nodiscard]] std::string resolvedPath(std::string_view gbkPath);

// A regular file in a folder: its GBK name and its name on disk.
struct FolderFile {
    Text name;
    std::string nativeName;
};

// The regular files of a folder (GBK path) whose names end in suffix, compared as names;
// sorted by name, ASCII letters in any case. Nothing when the folder cannot be read.
[[nodiscard]] std::vector<FolderFile> filesEndingIn(
    std::string_view gbkFolder, std::string_view suffix);

} // namespace runtime
