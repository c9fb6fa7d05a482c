#pragma once
// Writes record-database files byte by byte from the published layout, the way another
// program making files for an installation would: header, field table, records, and the
// auxiliary file of memo and byte-set chains. Deliberately shares no code with the
// database library, so a fault in its layout constants cannot hide in both.

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace app::test {

enum class StoredType : std::int32_t {
    Byte = 1,
    Short,
    Integer,
    Long,
    Single,
    Double,
    Logical,
    DateTime,
    SubProgram,
    Text,
    ByteSet,
    Memo,
};

struct ColumnSpec {
    std::string name; // GBK
    StoredType type;
    std::int32_t textWidth = 0;
};

// Integers for the integer kinds, logical and sub-program; doubles for single, double and
// date-time; bytes for text, memo and byte set.
using Cell = std::variant<std::int64_t, double, std::string>;

struct TableFile {
    std::vector<ColumnSpec> columns;
    std::vector<std::vector<Cell>> rows;

    // Writes <path> and, when a column keeps chains, its auxiliary file beside it with the
    // given name (the reader expects the table's name with the extension "EDT").
    void write(const std::filesystem::path& path, const std::string& auxiliaryName = "") const;
};

// The four text columns of a show and of the current show.
TableFile slotTable(const std::vector<std::vector<std::string>>& slots);

// Overwrites bytes of a file at offset: how the tests damage what they wrote.
void patchFile(const std::filesystem::path& path, std::int64_t offset, const std::string& bytes);
std::string littleEndian32(std::int32_t value);

} // namespace app::test
