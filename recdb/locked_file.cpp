#include "recdb/locked_file.h"

#include "recdb/error_codes.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace recdb {

namespace {

bool isConflict(int result)
{
    return result == -EAGAIN || result == -EACCES;
}

// File systems without byte-range locks count every lock as granted.
bool isUnsupported(int result)
{
    return result == -EINVAL || result == -EOPNOTSUPP || result == -ENOSYS || result == -ENOLCK;
}

std::int64_t steadyMillis()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The first entry of the lock table at or after offset.
template <typename Holds> auto firstHoldFrom(Holds& holds, std::int64_t offset)
{
    return std::lower_bound(holds.begin(), holds.end(), offset,
        [](const auto& hold, std::int64_t key) { return hold.first < key; });
}

} // namespace

LockedFile::LockedFile(platform::FileSystem& fs, int fd, bool readOnly)
    : fs_(fs)
    , fd_(fd)
    , readOnly_(readOnly)
{
}

LockedFile::~LockedFile()
{
    // Closing the description releases every lock it holds.
    fs_.close(fd_);
}

int LockedFile::read(std::int64_t offset, void* buffer, std::int64_t size, std::int64_t& bytesRead)
{
    bytesRead = 0;
    std::int64_t result = fs_.readAt(fd_, buffer, size, offset);
    if (result < 0)
        return errorFromErrno(static_cast<int>(-result));
    bytesRead = result;
    return Ok;
}

int LockedFile::write(std::int64_t offset, const void* buffer, std::int64_t size)
{
    std::int64_t result = fs_.writeAt(fd_, buffer, size, offset);
    return result < 0 ? errorFromErrno(static_cast<int>(-result)) : Ok;
}

int LockedFile::length(std::int64_t& result)
{
    platform::FileStatus status;
    int failed = fs_.status(fd_, status);
    result = failed ? 0 : status.size;
    return failed ? errorFromErrno(-failed) : Ok;
}

int LockedFile::setLength(std::int64_t length)
{
    int result = fs_.setLength(fd_, length);
    return result < 0 ? errorFromErrno(-result) : Ok;
}

bool LockedFile::holdsByte(std::int64_t offset) const
{
    auto at = firstHoldFrom(holds_, offset);
    return at != holds_.end() && at->first == offset;
}

void LockedFile::assertHoldsByte(std::int64_t offset) const
{
#ifndef NDEBUG
    if (lockFree_ || wholeDepth_ > 0 || holdsByte(offset))
        return;
    std::fprintf(stderr, "the record at offset %lld is used without its lock\n",
        static_cast<long long>(offset));
    std::abort();
#else
    (void)offset;
#endif
}

int LockedFile::lockByte(std::int64_t offset)
{
    if (lockFree_)
        return Ok;
    auto at = firstHoldFrom(holds_, offset);
    if (at != holds_.end() && at->first == offset) {
        ++at->second;
        return Ok;
    }
    if (wholeDepth_ == 0) {
        if (int code = lockRange(offset, 1, readOnly_))
            return code;
    }
    holds_.emplace(at, offset, 1);
    return Ok;
}

int LockedFile::unlockByte(std::int64_t offset)
{
    if (lockFree_)
        return Ok;
    auto held = firstHoldFrom(holds_, offset);
    if (held == holds_.end() || held->first != offset)
        return UnlockFailed;
    if (--held->second > 0)
        return Ok;
    holds_.erase(held);
    return wholeDepth_ == 0 ? unlockRange(offset, 1) : Ok;
}

int LockedFile::lockWhole()
{
    if (lockFree_)
        return Ok;
    if (wholeDepth_ == 0) {
        int code = forEachGap([this](std::int64_t from, std::int64_t length) {
            return lockRange(from, length, readOnly_);
        });
        if (code) {
            // Give back the gaps already taken, keeping the bytes held one by one.
            (void)forEachGap([this](std::int64_t from, std::int64_t length) {
                (void)unlockRange(from, length);
                return Ok;
            });
            return code;
        }
    }
    ++wholeDepth_;
    return Ok;
}

int LockedFile::unlockWhole()
{
    if (lockFree_)
        return Ok;
    if (wholeDepth_ == 0)
        return UnlockFailed;
    if (--wholeDepth_ > 0)
        return Ok;
    return forEachGap(
        [this](std::int64_t from, std::int64_t length) { return unlockRange(from, length); });
}

int LockedFile::holdWholeForLife()
{
    if (int code = lockWhole())
        return code;
    lockFree_ = true;
    return Ok;
}

int LockedFile::lockSharedFrom(std::int64_t offset, bool& taken)
{
    taken = false;
    if (lockFree_ || wholeDepth_ > 0)
        return Ok;
    if (firstHoldFrom(holds_, offset) != holds_.end())
        return LockFailed;
    if (int code = lockRange(offset, wholeRange - offset, true))
        return code;
    taken = true;
    return Ok;
}

int LockedFile::unlockSharedFrom(std::int64_t offset)
{
    return unlockRange(offset, wholeRange - offset);
}

template <typename Action> int LockedFile::forEachGap(Action action)
{
    std::int64_t from = 0;
    for (const auto& [offset, count] : holds_) {
        (void)count;
        if (offset > from) {
            if (int code = action(from, offset - from))
                return code;
        }
        from = offset + 1;
    }
    return from < wholeRange ? action(from, wholeRange - from) : Ok;
}

int LockedFile::lockRange(std::int64_t offset, std::int64_t length, bool shared)
{
    // The wait is timed from the first refusal, so a granted lock costs no clock reading.
    bool refused = false;
    std::int64_t start = 0;
    for (;;) {
        int result = fs_.lockRange(fd_, offset, length,
            shared ? platform::LockKind::shared : platform::LockKind::exclusive);
        if (result == 0 || isUnsupported(result))
            return Ok;
        if (!isConflict(result))
            return LockFailed;
        std::int64_t now = steadyMillis();
        if (!refused)
            start = now;
        refused = true;
        if (now - start >= lockWait_)
            return LockViolation;
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + now % 20));
    }
}

int LockedFile::unlockRange(std::int64_t offset, std::int64_t length)
{
    int result = fs_.unlockRange(fd_, offset, length);
    return result == 0 || isUnsupported(result) ? Ok : UnlockFailed;
}

} // namespace recdb
