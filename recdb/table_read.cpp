// Reading every record of a table at once: the show tables are read whole on every refresh,
// and a lock, a seek and a read per field made that the slowest thing the program did.

#include "recdb/database.h"
#include "recdb/error_codes.h"
#include "recdb/field_values.h"

#include <algorithm>
#include <memory>
#include <new>

namespace recdb {

using namespace layout;

namespace {

// The auxiliary file's data blocks as one read gave them.
class BlockImage {
public:
    // Reads every block after the header under one shared lock. The header stays unlocked:
    // its lock guards only blocks in no live chain, and the chains read here are guarded by
    // the record locks, which the caller holds shared.
    int load(LockedFile& file)
    {
        SharedRangeLock lock(file, blockSize);
        if (lock.result())
            return lock.result();
        std::int64_t length = 0;
        if (int code = file.length(length))
            return code;
        const std::int64_t size = std::max<std::int64_t>(length - blockSize, 0);
        bytes_.reset(new (std::nothrow) unsigned char[std::size_t(size)]);
        if (!bytes_)
            return OutOfMemory;
        if (int code = file.read(blockSize, bytes_.get(), size, size_))
            return code;
        limit_ = length / blockSize;
        return Ok;
    }

    // The bytes of the chain at first, refused as AuxiliaryFile::read refuses it: a block
    // past the end, a used count outside a block, more blocks than the file holds.
    int chain(std::int32_t first, std::string& bytes) const
    {
        bytes.clear();
        std::int64_t remaining = limit_;
        for (std::int32_t number = first; number > 0;) {
            if (remaining-- <= 0)
                return AuxiliaryAccessFailed;
            const std::int64_t at = (std::int64_t { number } - 1) * blockSize;
            if (at + blockSize > size_)
                return AuxiliaryAccessFailed;
            const unsigned char* block = bytes_.get() + at;
            const auto used = layout::load<std::int32_t>(block + blockUsedOffset);
            if (used < 0 || used > blockCapacity)
                return AuxiliaryAccessFailed;
            bytes.append(reinterpret_cast<const char*>(block + blockDataOffset),
                static_cast<std::size_t>(used));
            number = layout::load<std::int32_t>(block + blockNextOffset);
        }
        return Ok;
    }

private:
    std::unique_ptr<unsigned char[]> bytes_; // from block 1 on, not zeroed: size_ were read
    std::int64_t size_ = 0;
    std::int64_t limit_ = 0; // blocks the file's length held, block 0 included
};

// The record area is read in pieces of this size under the one lock: a show of about two
// hundred slots in one read, and a larger table through a buffer that stays in the cache and
// whose pages are touched once. Against pieces of 1 MiB, starting on a 1,000-slot show made
// 190 fewer page faults and a warm read of 10,000 records took a tenth less (1,000 records:
// 0.07 ms more); one buffer the size of the table was slower than either.
constexpr std::int64_t pieceBytes = 1 << 18;

// A chain field whose value waits for the auxiliary file.
struct PendingChain {
    StoredRecord::FieldValue* target;
    FieldType type;
    std::int32_t first;
};

} // namespace

int Database::readAllRecords(
    const std::vector<const Field*>& which, std::vector<StoredRecord>& records)
{
    records.clear();
    if (readAllAtOnce(which, records) == Ok)
        return Ok;
    records.clear();
    return readOneByOne(which, records);
}

// Each record's id and fields get the code the reads of one record would give on a file of
// the length the reads found: a record that starts past it has no id, a field that starts
// past it could not be sought, a field cut by it is short.
int Database::readAllAtOnce(
    const std::vector<const Field*>& which, std::vector<StoredRecord>& records)
{
    SharedRangeLock lock(file_, countersOffset);
    if (lock.result())
        return lock.result();
    std::int32_t count = 0, nextId = 0;
    if (int code = readCounters(count, nextId))
        return code;
    const std::int64_t pieceRecords
        = std::min<std::int64_t>(count, std::max<std::int64_t>(1, pieceBytes / recordSize_));
    // Not zeroed first: each read fills what is decoded.
    std::unique_ptr<unsigned char[]> piece(
        new (std::nothrow) unsigned char[std::size_t(pieceRecords * recordSize_)]);
    if (!piece)
        return OutOfMemory;
    try {
        records.resize(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }

    std::vector<PendingChain> chains;
    for (std::int64_t first = 0; first < count; first += pieceRecords) {
        const std::int64_t last = std::min<std::int64_t>(first + pieceRecords, count);
        const std::int64_t from = recordOffset(first);
        std::int64_t got = 0;
        if (int code = file_.read(from, piece.get(), (last - first) * recordSize_, got))
            return code;
        const std::int64_t end = from + got;
        auto bytesAt = [&](std::int64_t offset) { return piece.get() + (offset - from); };
        for (std::int64_t index = first; index < last; ++index) {
            StoredRecord& record = records[static_cast<std::size_t>(index)];
            const std::int64_t start = recordOffset(index);
            if (start >= end)
                record.idResult = NoCurrentRecord;
            else if (start + recordIdSize > end)
                record.idResult = RecordReadFailed;
            else
                record.id = load<std::int32_t>(bytesAt(start));
            record.fields.resize(which.size());
            for (std::size_t f = 0; f < which.size(); ++f) {
                const Field& field = *which[f];
                StoredRecord::FieldValue& read = record.fields[f];
                const std::int64_t position = start + field.offset;
                if (position >= end || position + field.width > end) {
                    read.result = position >= end ? BadSeek : FieldReadFailed;
                    read.value = emptyValueOf(field.type);
                } else if (isChainType(field.type)) {
                    chains.push_back({ &read, field.type, load<std::int32_t>(bytesAt(position)) });
                } else {
                    read.value = decodeStored(field.type, bytesAt(position), field.width);
                }
            }
        }
    }

    const bool anyChain = std::any_of(
        chains.begin(), chains.end(), [](const PendingChain& c) { return c.first > 0; });
    BlockImage blocks;
    if (anyChain) {
        if (int code = blocks.load(aux_->file()))
            return code;
    }
    std::string bytes;
    for (const PendingChain& chain : chains) {
        chain.target->result = blocks.chain(chain.first, bytes);
        chain.target->value
            = chain.target->result ? emptyValueOf(chain.type) : decodeChain(chain.type, bytes);
    }
    return Ok;
}

int Database::readOneByOne(
    const std::vector<const Field*>& which, std::vector<StoredRecord>& records)
{
    std::int32_t count = 0, nextId = 0;
    if (int code = lockedCounters(count, nextId, countersWaitMillis))
        return code;
    try {
        records.resize(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
    const std::int64_t saved = current;
    for (std::int32_t index = 0; index < count; ++index) {
        StoredRecord& record = records[static_cast<std::size_t>(index)];
        current = index;
        record.idResult = readRecordId(record.id);
        record.fields.resize(which.size());
        for (std::size_t f = 0; f < which.size(); ++f)
            record.fields[f].result = readField(*which[f], record.fields[f].value);
    }
    current = saved;
    return Ok;
}

} // namespace recdb
