#pragma once
// The open databases of a process and the twelve commands the application uses on them.
// Commands without an alias act on the current database; each command leaves its result
// code in the calling thread's last error (error_codes.h), and the commands with a logical
// result return true exactly when that code is 0.
//
// The registry has no lock of its own: callers issue all commands from one thread (the
// interface thread) or serialise them. Other processes stay consistent through the file
// locks and through re-reading the record count from the file.

#include "platform/file_system.h"
#include "recdb/database.h"
#include "recdb/error_report.h"
#include "runtime/text.h"
#include "runtime/value.h"

#include <memory>
#include <optional>
#include <vector>

namespace recdb {

class Registry {
public:
    using Text = runtime::Text;
    using Alias = std::optional<Text>; // nothing: the current database

    explicit Registry(ErrorReport& errors, platform::FileSystem& fs = platform::systemFileSystem());
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // shareMode: 1 no restriction, 2 others may not read, 3 others may not write, 4 neither.
    // Passwords and index files are not supported: giving one fails.
    [[nodiscard]] bool openDatabase(const Text& fileName, const Alias& alias = {},
        bool readOnly = false, int shareMode = 1, const std::optional<Text>& password = {},
        const std::vector<Text>& indexFiles = {});
    void closeDatabase(const Alias& alias = {});
    [[nodiscard]] int recordCount();
    [[nodiscard]] bool appendBlankRecord();
    void goFirst();
    bool goLast();
    bool skip(int count = 1);
    bool goTo(int recordNumber);
    [[nodiscard]] bool markDeleted();
    [[nodiscard]] bool pack();
    // field: its name (text) or 1-based number (any numeric value).
    [[nodiscard]] runtime::Value readField(const runtime::Value& field, const Alias& alias = {});
    [[nodiscard]] bool writeField(const runtime::Value& field, const Alias& alias,
        const std::optional<runtime::Value>& value);
    // The given fields (as readField takes them) of every record, read at one moment
    // (Database::readAllRecords): field j of record k holds what readField gives for that
    // field of record k + 1. Raises as readField does for a database or field that does not
    // exist, once there is a record to read. Leaves 0 when every value was read, else the
    // first failure.
    [[nodiscard]] std::vector<StoredRecord> readAllRecords(
        const std::vector<runtime::Value>& fields, const Alias& alias = {});

    // The width in bytes of a text field of the current database: longer texts would be
    // cut when written. Nothing without a current database or such a text field.
    [[nodiscard]] std::optional<std::int64_t> textFieldWidth(const Text& field);

    [[nodiscard]] std::size_t openCount() const { return open_.size(); }

private:
    struct Entry {
        std::unique_ptr<Database> database;
        std::string nativePath; // resolved
        Text fullPath; // GBK
        Text title;
        Text alias;
    };

    Entry* find(const Text& name);
    Entry* current() { return current_ ? &open_[*current_] : nullptr; }
    const Field* findField(Entry& entry, const runtime::Value& field);
    // The field a name or number gives, or nullptr with what readField raises for it.
    const Field* lookupField(Entry& entry, const runtime::Value& field, const char*& problem);
    bool finish(int code);
    // Reads the current database's record count under the file lock, then lets `move` set
    // its record pointer and give the result; a missing database or failed read is reported.
    template <typename Move> bool moveRecordPointer(Move move);

    ErrorReport& errors_;
    platform::FileSystem& fs_;
    std::vector<Entry> open_; // in the order they were opened
    std::optional<std::size_t> current_;
};

} // namespace recdb
