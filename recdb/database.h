#pragma once
// One open database: its file, the field table and data start read when it was opened, its
// auxiliary file when it has memo or byte-set fields, and its current record. The record
// count and next id are never cached: other processes may append at any time, so every
// operation re-reads them from the header under its lock.
//
// Not thread-safe: the registry's caller serialises all commands.

#include "recdb/auxiliary_file.h"
#include "recdb/layout.h"
#include "recdb/locked_file.h"
#include "runtime/value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace recdb {

struct Field {
    runtime::Text name;
    layout::FieldType type;
    std::int64_t offset; // inside the record
    std::int64_t width; // stored bytes
};

// One record of a whole-table read: its id and the fields asked for, each with the value and
// code that readRecordId and readField give for it.
struct StoredRecord {
    struct FieldValue {
        runtime::Value value; // the field type's empty value when result is not 0
        int result = 0;
    };
    std::int32_t id = 0; // as stored: negative when marked deleted
    int idResult = 0;
    std::vector<FieldValue> fields;
};

enum class ShareMode { Unrestricted = 1, DenyRead = 2, DenyWrite = 3, DenyAll = 4 };

class Database {
public:
    // Opens an existing file (its native path) and runs the open checks, repairing the
    // record count and length unless read-only. The result is 0 or the first failure.
    [[nodiscard]] static int open(platform::FileSystem& fs, const std::string& nativePath,
        bool readOnly, ShareMode share, std::unique_ptr<Database>& result);

    const std::vector<Field>& fields() const { return fields_; }
    // The first field whose name equals name, ignoring case; nullptr when none.
    const Field* findField(std::string_view name) const;

    // How long the record count waits for another process's hold on the counters.
    static constexpr std::int64_t countersWaitMillis = 2000;

    // Record count (negative read as 0) and next id from the header.
    [[nodiscard]] int readCounters(std::int32_t& count, std::int32_t& nextId);
    // readCounters under the lock of the counters, waiting up to waitMillis when busy.
    [[nodiscard]] int lockedCounters(
        std::int32_t& count, std::int32_t& nextId, std::int64_t waitMillis = 0);

    [[nodiscard]] int appendBlank();
    // The current record's id as stored: negative when the record is marked deleted.
    [[nodiscard]] int readRecordId(std::int32_t& id);
    [[nodiscard]] int markDeleted();
    [[nodiscard]] int pack();
    [[nodiscard]] int readField(const Field& field, runtime::Value& value);
    // The blocks of the current record's chain in a memo or byte-set field, checked whole.
    [[nodiscard]] int chainOfField(const Field& field, std::vector<std::int32_t>& blocks);
    // The blocks of the auxiliary file's free list, checked; none without an auxiliary file.
    [[nodiscard]] int freeBlocks(std::vector<std::int32_t>& blocks);
    [[nodiscard]] int writeField(const Field& field, const runtime::Value& value);
    // Every record, with the given fields of this database in that order: what readRecordId
    // and readField give record after record, but read at one moment under one shared lock
    // of the counters and records, in reads of many records each, and the chains from one
    // read of the auxiliary file. Where a writer holds part of the files, or that read fails, it
    // reads record by record instead. The result is 0 or the failure to read the record count.
    [[nodiscard]] int readAllRecords(
        const std::vector<const Field*>& which, std::vector<StoredRecord>& records);

    std::int64_t current = 0; // -1 before the first record ... count after the last

private:
    Database(platform::FileSystem& fs, int fd, bool readOnly);
    [[nodiscard]] int check(bool readOnly, bool exclusive, const std::string& nativePath);
    [[nodiscard]] int checkHeader(bool readOnly);
    [[nodiscard]] int checkFieldTable(const std::vector<unsigned char>& table);
    [[nodiscard]] std::int64_t recordOffset(std::int64_t index) const
    {
        return dataStart_ + index * recordSize_;
    }
    [[nodiscard]] int dropDeletedChains(const unsigned char* record);
    [[nodiscard]] int readIdLocked(std::int64_t start, std::int32_t& id);
    // readField without the empty value on failure.
    [[nodiscard]] int readStored(const Field& field, runtime::Value& value);
    [[nodiscard]] int readAllAtOnce(
        const std::vector<const Field*>& which, std::vector<StoredRecord>& records);
    [[nodiscard]] int readOneByOne(
        const std::vector<const Field*>& which, std::vector<StoredRecord>& records);

    platform::FileSystem& fs_;
    LockedFile file_;
    std::unique_ptr<AuxiliaryFile> aux_;
    std::int32_t version_ = 0;
    std::int64_t recordSize_ = 0;
    std::int64_t dataStart_ = 0;
    std::vector<Field> fields_;
    std::vector<unsigned char> fieldBytes_; // a field's stored bytes while it is read
};

} // namespace recdb
