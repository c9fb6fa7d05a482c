#pragma once
// Test support: a writer that lays out database and auxiliary files byte by byte, without
// the library's own layout code, so that a fault in the layout cannot hide itself; plus a
// temporary directory and an error report that throws.

#include "recdb/error_report.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace recdb::test {

struct RuntimeErrorRaised {
    std::string message;
};

class ThrowingReport final : public ErrorReport {
public:
    [[noreturn]] void raise(const runtime::Text& message) override
    {
        throw RuntimeErrorRaised { message };
    }
};

class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string path(const std::string& name) const { return (root_ / name).string(); }

private:
    std::filesystem::path root_;
};

using Bytes = std::vector<unsigned char>;
using runtime::Text;

void putInt(Bytes& bytes, std::size_t at, std::int64_t value, int width);
std::int64_t getInt(const Bytes& bytes, std::size_t at, int width);
Bytes readFile(const std::string& path);
void writeFile(const std::string& path, const Bytes& bytes);

struct FieldSpec {
    std::string name;
    int type;
    int width; // stored width; declared size for text
};

// A database laid out field after field from offset 4; records given as their values.
class DatabaseImage {
public:
    explicit DatabaseImage(std::vector<FieldSpec> fields);
    int recordSize() const { return recordSize_; }
    int dataStart() const { return 116 + 72 * int(fields_.size()); }
    int offsetOf(std::size_t field) const { return offsets_[field]; }
    // A record with id and zeros; fill it with setValue.
    std::size_t addRecord(std::int32_t id);
    void setValue(std::size_t record, std::size_t field, const void* bytes, std::size_t size);
    Bytes bytes(std::int32_t nextId = 0) const; // nextId 0: one above the records
    Bytes header; // 112 bytes, editable before bytes()

private:
    std::vector<FieldSpec> fields_;
    std::vector<int> offsets_;
    int recordSize_ = 4;
    std::vector<Bytes> records_;
};

// An auxiliary file: header and blocks; chains made of consecutive new blocks.
class AuxImage {
public:
    AuxImage();
    // Appends the value as a chain of new blocks; returns its first block.
    std::int32_t addChain(const std::string& value);
    Bytes bytes() const;
    std::vector<Bytes> blocks; // block 0 is the header
};

} // namespace recdb::test
