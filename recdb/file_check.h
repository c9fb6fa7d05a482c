#pragma once
// Checking a database file whole before the program relies on it: the open checks, then
// every field of every record, memo and byte-set chains included, and the free list of the
// auxiliary file (no loop, no block that holds a value or belongs to a record). The file is opened
// read-only, so nothing is repaired and nothing changes. Not a repair: callers decide what
// to do with a damaged file.

#include "platform/file_system.h"
#include "runtime/text.h"

#include <string>

namespace recdb {

struct CheckResult {
    int code = 0; // 0, or the record-database code of the first damage found
    runtime::Text where; // GBK, where it was found ("第 3 条记录"); empty for the file as a whole
};

CheckResult checkDatabaseFile(
    const std::string& nativePath, platform::FileSystem& fs = platform::systemFileSystem());

} // namespace recdb
