#pragma once
// Bringing an existing installation's data into a hall folder: the three tables, the style
// settings and the folder of saved shows with its picture, found under upper-case or GBK
// names and stored under the UTF-8 names the program opens. Everything is copied into a
// scratch folder inside the hall folder and every table read through there with the
// database reader; only when all of them pass are the files moved into place, all of them or
// none even when the import is killed (app/import_commit.h), so a missing or damaged file
// leaves the hall folder as it was.
//
// Not for a hall that a running program has open: the caller keeps the program out.

#include "platform/file_system.h"

#include <string>
#include <vector>

namespace app {

struct ImportResult {
    bool imported = false;
    // UTF-8 lines for the terminal: the files brought over, or every reason for refusing.
    std::vector<std::string> report;
};

// Native (UTF-8) folder paths; the hall folder is created when it does not exist yet. The
// hall folder's lock is held throughout, as a running program holds it. An import killed
// earlier in the hall folder is finished or undone first, and the report says which.
[[nodiscard]] ImportResult importHall(const std::string& sourceFolder,
    const std::string& hallFolder, platform::FileSystem& files = platform::systemFileSystem());

} // namespace app
