// Reading and writing one field of the current record: the value encodings.

#include "recdb/database.h"
#include "recdb/error_codes.h"
#include "recdb/field_values.h"

#include <algorithm>
#include <cstring>

namespace recdb {

using namespace layout;
using runtime::Value;

namespace {

// As long as the record count waits for its lock: another writer holds the header briefly.
constexpr std::int64_t freeLockWaitMillis = 2000;

// The longest prefix of text within width bytes that does not split a multi-byte
// character (two-byte GBK, four-byte GB18030).
std::size_t cutAtCharacter(std::string_view text, std::size_t width)
{
    std::size_t at = 0;
    while (at < width && at < text.size()) {
        auto lead = static_cast<unsigned char>(text[at]);
        std::size_t unit = 1;
        if (lead >= 0x81 && lead <= 0xFE && at + 1 < text.size()) {
            auto second = static_cast<unsigned char>(text[at + 1]);
            unit = second >= 0x30 && second <= 0x39 ? 4 : 2;
        }
        if (at + unit > width)
            break;
        at += unit;
    }
    return at;
}

// The stored bytes of a value already converted to the field's type (not for chains).
void encode(const Field& field, const Value& value, std::vector<unsigned char>& bytes)
{
    bytes.assign(static_cast<std::size_t>(field.width), 0);
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, runtime::Text>) {
                std::size_t size
                    = v.size() < bytes.size() ? v.size() : cutAtCharacter(v, bytes.size());
                std::memcpy(bytes.data(), v.data(), size);
            } else if constexpr (std::is_same_v<T, bool>) {
                bytes[0] = v ? 1 : 0;
            } else if constexpr (std::is_same_v<T, runtime::DateTime>) {
                store(bytes.data(), v.days);
            } else if constexpr (std::is_arithmetic_v<T>) {
                store(bytes.data(), v);
            }
        },
        value.payload());
}

} // namespace

int Database::readField(const Field& field, Value& value)
{
    int code = readStored(field, value);
    if (code)
        value = emptyValueOf(field.type);
    return code;
}

int Database::readStored(const Field& field, Value& value)
{
    if (current < 0)
        return NoCurrentRecord;
    const std::int64_t start = recordOffset(current);
    ByteLock lock(file_, start);
    if (lock.result())
        return lock.result();
    // Scratch space only, grown to the widest field read: every read fills it afresh
    // under the record lock.
    if (fieldBytes_.size() < static_cast<std::size_t>(field.width))
        fieldBytes_.resize(static_cast<std::size_t>(field.width));
    unsigned char* bytes = fieldBytes_.data();
    std::int64_t got = 0;
    if (int code = file_.read(start + field.offset, bytes, field.width, got))
        return code;
    // Nothing at all comes back only from at or beyond the end of the file.
    if (got == 0)
        return BadSeek;
    if (got < field.width)
        return FieldReadFailed;
    if (!isChainType(field.type)) {
        value = decodeStored(field.type, bytes, field.width);
        return Ok;
    }
    std::string chain;
    if (int code = aux_->read(load<std::int32_t>(bytes), chain))
        return code;
    value = decodeChain(field.type, chain);
    return Ok;
}

int Database::writeField(const Field& field, const Value& value)
{
    if (current < 0)
        return NoCurrentRecord;
    const std::int64_t start = recordOffset(current);
    const std::int64_t position = start + field.offset;
    ByteLock lock(file_, start);
    if (lock.result())
        return lock.result();
    std::int64_t length = 0, got = 0;
    if (int code = file_.length(length))
        return code;
    if (position >= length)
        return NoCurrentRecord;
    std::vector<unsigned char> bytes;
    if (!isChainType(field.type)) {
        encode(field, value, bytes);
        return file_.write(position, bytes.data(), field.width);
    }
    std::int32_t first = 0;
    if (int code = file_.read(position, &first, sizeof first, got))
        return code;
    if (got < std::int64_t(sizeof first))
        return FieldReadFailed;
    std::string_view content;
    if (const auto* text = value.as<runtime::Text>())
        content = *text;
    else if (const auto* set = value.as<runtime::ByteSet>())
        content = { reinterpret_cast<const char*>(set->data()), set->size() };
    // The old chain is checked before anything is written: a damaged one is reported, not
    // freed into the free list, where its blocks could later overwrite another value.
    std::vector<std::int32_t> oldChain;
    if (int code = aux_->chainBlocks(first, oldChain))
        return code;
    std::int32_t newFirst = 0;
    if (int code = aux_->writeValue(content, newFirst))
        return code;
    if (int code = file_.write(position, &newFirst, sizeof newFirst)) {
        // The write's failure is the one to report; a chain not freed only costs space.
        (void)aux_->free(newFirst);
        return code;
    }
    // The value is replaced; freeing the old chain is housekeeping, worth waiting a little
    // for another process's hold on the header rather than leaking the chain.
    const std::int64_t wait = aux_->file().lockWait();
    aux_->file().setLockWait(std::max<std::int64_t>(wait, freeLockWaitMillis));
    (void)aux_->free(first);
    aux_->file().setLockWait(wait);
    return Ok;
}

int Database::chainOfField(const Field& field, std::vector<std::int32_t>& blocks)
{
    blocks.clear();
    if (current < 0)
        return NoCurrentRecord;
    if (!isChainType(field.type) || !aux_)
        return Ok;
    const std::int64_t start = recordOffset(current);
    ByteLock lock(file_, start);
    if (lock.result())
        return lock.result();
    std::int32_t first = 0;
    std::int64_t got = 0;
    if (int code = file_.read(start + field.offset, &first, sizeof first, got))
        return code;
    if (got < std::int64_t(sizeof first))
        return FieldReadFailed;
    return aux_->chainBlocks(first, blocks);
}

int Database::freeBlocks(std::vector<std::int32_t>& blocks)
{
    blocks.clear();
    return aux_ ? aux_->freeListBlocks(blocks) : Ok;
}

} // namespace recdb
