#include "recdb/file_check.h"

#include "recdb/database.h"
#include "recdb/error_codes.h"

namespace recdb {

CheckResult checkDatabaseFile(const std::string& nativePath, FileSystem& fs)
{
    std::unique_ptr<Database> database;
    if (int code = Database::open(fs, nativePath, true, ShareMode::Unrestricted, database))
        return { code, {} };
    std::int32_t count = 0, nextId = 0;
    if (int code = database->lockedCounters(count, nextId))
        return { code, {} };
    for (std::int32_t index = 0; index < count; ++index) {
        database->current = index;
        std::int32_t id = 0;
        int code = database->readRecordId(id);
        for (const Field& field : database->fields()) {
            if (code != Ok)
                break;
            runtime::Value value;
            code = database->readField(field, value);
        }
        if (code != Ok)
            return { code, runtime::concatText("第 ", std::to_string(index + 1), " 条记录") };
    }
    return {};
}

} // namespace recdb
