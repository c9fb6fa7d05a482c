#pragma once
// Byte layout of a record database: the database file and its auxiliary file of memo and
// byte-set chains. All integers are little-endian two's complement; text is GBK.
//
// Database file
//   offset  width   meaning            rule
//   0       4       magic              "WEDB"; "WCDB" marks a password-protected file (refused)
//   4       4       format version     at most 0x00010000
//   8       8       -                  kept as found
//   16      4       record count       >= 0, marked-deleted records included
//   20      4       next record id     >= 1; ids are never reused
//   24      4       record size        > 0, the 4-byte id included
//   28      84      protection data    kept as found
//   112     4       field count        > 0
//   116     72 * n  field descriptors, then the records from data start = 116 + 72 * n
//
// Field descriptor (72 bytes)
//   0       20      name               zero-terminated, a zero within the first 17 bytes
//   20      4       type               FieldType 1-12
//   24      4       value offset       inside the record; the value lies after the id and
//                                      inside the record
//   28      4       declared size      text width, > 0; ignored for other types
//   32      40      -                  kept as found
//
// Record: 4-byte id (positive live, negative marked deleted, |id| the id), then the values.
//
// Auxiliary file (database path with extension "EDT"): 512-byte blocks, block 0 the header
//   0       4       magic              "WEDT"
//   4       4       format version     equal to the database file's
//   8       8       -                  kept as found
//   16      4       block count        > 0, block 0 included
//   20      4       free block count   0 <= value < block count
//   24      4       free list head     0 (none) <= value < block count
//   28      4       -                  kept as found
// Data block: 0 previous block, 4 next block (0 ends a chain), 8 bytes used (0-500, 0 in a
// free block), 12 the 500 value bytes, zero-padded. Free blocks form one chain.

#include <cstdint>
#include <cstring>

namespace recdb::layout {

constexpr std::int64_t headerSize = 112;
constexpr std::int64_t versionOffset = 4;
constexpr std::int64_t countersOffset = 16; // record count, then next record id
constexpr std::int64_t recordSizeOffset = 24;
// Far beyond any table's record; a header that claims more is damaged, and would have a
// read or an append allocate gigabytes.
constexpr std::int32_t largestRecordSize = 64 << 20;
constexpr std::int64_t fieldCountOffset = 112;
constexpr std::int64_t fieldTableOffset = 116;
constexpr std::int64_t descriptorSize = 72;
constexpr std::int64_t descriptorNameSize = 20;
constexpr std::int64_t nameTerminatorWithin = 17;
constexpr std::int64_t descriptorTypeOffset = 20;
constexpr std::int64_t descriptorValueOffset = 24;
constexpr std::int64_t descriptorSizeOffset = 28;
constexpr std::int64_t recordIdSize = 4;
constexpr std::int32_t currentVersion = 0x00010000;

constexpr std::int64_t blockSize = 512;
constexpr std::int64_t auxHeaderSize = 32;
constexpr std::int64_t blockCountOffset = 16;
constexpr std::int64_t freeCountOffset = 20;
constexpr std::int64_t freeHeadOffset = 24;
constexpr std::int64_t blockPreviousOffset = 0;
constexpr std::int64_t blockNextOffset = 4;
constexpr std::int64_t blockUsedOffset = 8;
constexpr std::int64_t blockDataOffset = 12;
constexpr std::int64_t blockCapacity = 500;

enum class FieldType : std::int32_t {
    Byte = 1,
    Short = 2,
    Integer = 3,
    Long = 4,
    Single = 5,
    Double = 6,
    Logical = 7,
    DateTime = 8,
    SubProgram = 9,
    Text = 10,
    ByteSet = 11,
    Memo = 12,
};

[[nodiscard]] constexpr bool isValidFieldType(std::int32_t code)
{
    return code >= 1 && code <= 12;
}

[[nodiscard]] constexpr bool isChainType(FieldType type)
{
    return type == FieldType::ByteSet || type == FieldType::Memo;
}

// Stored width of a value; text fields use their declared size.
[[nodiscard]] constexpr std::int64_t storedWidth(FieldType type, std::int32_t declaredSize)
{
    switch (type) {
    case FieldType::Byte:
    case FieldType::Logical:
        return 1;
    case FieldType::Short:
        return 2;
    case FieldType::Long:
    case FieldType::Double:
    case FieldType::DateTime:
        return 8;
    case FieldType::Text:
        return declaredSize;
    default:
        return 4;
    }
}

template <typename T> T load(const void* bytes)
{
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

template <typename T> void store(void* bytes, T value)
{
    std::memcpy(bytes, &value, sizeof value);
}

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the layout is little-endian");

} // namespace recdb::layout
