// Whole-record operations of an open database: counters, append, delete mark and pack.

#include "recdb/database.h"
#include "recdb/error_codes.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace recdb {

using namespace layout;

namespace {

// Pack moves records in chunks of about this many bytes.
constexpr std::int64_t packChunkBytes = 163840;

} // namespace

int Database::readCounters(std::int32_t& count, std::int32_t& nextId)
{
    std::int32_t counters[2] = {};
    std::int64_t got = 0;
    if (int code = file_.read(countersOffset, counters, sizeof counters, got))
        return code;
    if (got < std::int64_t(sizeof counters))
        return RecordCountFailed;
    count = std::max(counters[0], 0);
    nextId = counters[1];
    return Ok;
}

int Database::lockedCounters(std::int32_t& count, std::int32_t& nextId, std::int64_t waitMillis)
{
    const std::int64_t savedWait = file_.lockWait();
    file_.setLockWait(waitMillis);
    ByteLock lock(file_, countersOffset);
    file_.setLockWait(savedWait);
    if (lock.result())
        return lock.result();
    return readCounters(count, nextId);
}

int Database::appendBlank()
{
    ByteLock counterLock(file_, countersOffset);
    if (counterLock.result())
        return counterLock.result();
    std::int32_t count = 0, nextId = 0;
    if (int code = readCounters(count, nextId))
        return code;
    const std::int32_t id = nextId > 0 ? nextId : 1;
    // Ids are never shared: refuse rather than wrap around to ids already given.
    if (id == INT32_MAX || count == INT32_MAX)
        return RecordWriteFailed;

    const std::int64_t slot = recordOffset(count);
    ByteLock slotLock(file_, slot);
    if (slotLock.result())
        return slotLock.result();
    std::int64_t length = 0;
    if (int code = file_.length(length))
        return code;
    if (length < slot)
        return BadSeek;
    std::vector<unsigned char> record;
    try {
        record.resize(static_cast<std::size_t>(recordSize_));
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
    store(record.data(), id);
    if (int code = file_.write(slot, record.data(), recordSize_))
        return code;
    const std::int32_t counters[2] = { count + 1, id + 1 };
    if (int code = file_.write(countersOffset, counters, sizeof counters))
        return code;
    current = count;
    return Ok;
}

int Database::readRecordId(std::int32_t& id)
{
    id = 0;
    if (current < 0)
        return NoCurrentRecord;
    const std::int64_t start = recordOffset(current);
    ByteLock lock(file_, start);
    if (lock.result())
        return lock.result();
    return readIdLocked(start, id);
}

int Database::readIdLocked(std::int64_t start, std::int32_t& id)
{
    file_.assertHoldsByte(start);
    std::int64_t length = 0, got = 0;
    if (int code = file_.length(length))
        return code;
    if (start >= length)
        return NoCurrentRecord;
    if (int code = file_.read(start, &id, sizeof id, got))
        return code;
    return got < std::int64_t(sizeof id) ? RecordReadFailed : Ok;
}

int Database::markDeleted()
{
    if (current < 0)
        return NoCurrentRecord;
    const std::int64_t start = recordOffset(current);
    ByteLock lock(file_, start);
    if (lock.result())
        return lock.result();
    std::int32_t id = 0;
    if (int code = readIdLocked(start, id))
        return code;
    if (id <= 0)
        return Ok;
    id = -id;
    return file_.write(start, &id, sizeof id);
}

int Database::dropDeletedChains(const unsigned char* record)
{
    int result = Ok;
    for (const Field& field : fields_) {
        if (!isChainType(field.type))
            continue;
        auto first = load<std::int32_t>(record + field.offset);
        if (first > 0 && aux_) {
            int code = aux_->free(first);
            result = result ? result : code;
        }
    }
    return result;
}

int Database::pack()
{
    if (int code = file_.lockWhole())
        return code;
    struct Release {
        LockedFile& file;
        ~Release() { (void)file.unlockWhole(); }
    } release { file_ };

    std::int32_t count = 0;
    std::int64_t got = 0;
    if (int code = file_.read(countersOffset, &count, sizeof count, got))
        return code;
    if (got < std::int64_t(sizeof count))
        return RecordCountFailed;

    const std::int64_t chunkRecords = std::max<std::int64_t>(1, packChunkBytes / recordSize_);
    std::vector<unsigned char> chunk;
    try {
        chunk.resize(static_cast<std::size_t>(chunkRecords * recordSize_));
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
    std::int64_t readAt = dataStart_, writeAt = dataStart_, kept = 0;
    bool dropped = false;
    for (std::int64_t done = 0; done < count;) {
        const std::int64_t records = std::min<std::int64_t>(chunkRecords, count - done);
        const std::int64_t bytes = records * recordSize_;
        if (int code = file_.read(readAt, chunk.data(), bytes, got))
            return code;
        if (got < bytes)
            return RecordReadFailed;
        std::int64_t keptHere = 0;
        for (std::int64_t i = 0; i < records; ++i) {
            unsigned char* record = chunk.data() + i * recordSize_;
            if (load<std::int32_t>(record) < 0) {
                // A chain that cannot be freed stays allocated: losing a few blocks of the
                // auxiliary file is better than stopping halfway through the move.
                static_cast<void>(dropDeletedChains(record));
                dropped = true;
                continue;
            }
            if (keptHere != i)
                std::memmove(chunk.data() + keptHere * recordSize_, record, recordSize_);
            ++keptHere;
        }
        // Records before the first dropped one stay where they are, but still count
        // towards the write position.
        if (dropped) {
            if (int code = file_.write(writeAt, chunk.data(), keptHere * recordSize_))
                return code;
        }
        writeAt += keptHere * recordSize_;
        readAt += bytes;
        kept += keptHere;
        done += records;
    }
    if (dropped) {
        const auto keptCount = static_cast<std::int32_t>(kept);
        if (int code = file_.write(countersOffset, &keptCount, sizeof keptCount))
            return code;
        if (int code = file_.setLength(writeAt))
            return code;
    }
    current = 0;
    return Ok;
}

} // namespace recdb
