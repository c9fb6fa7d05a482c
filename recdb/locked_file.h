#pragma once
// One open file of a database (the database file or its auxiliary file) together with the
// byte-range locks its handle holds. Locks are open-file-description locks, so they belong
// to this handle alone and closing another descriptor of the same file keeps them.
//
// Not for use from several threads at once: the registry's caller serialises commands.

#include "platform/file_system.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace recdb {

class LockedFile {
public:
    // Everything up to this offset counts as "the whole file" for locking.
    static constexpr std::int64_t wholeRange = 0x7FFFFFFF;

    // Takes ownership of fd; a read-only descriptor takes shared locks.
    LockedFile(platform::FileSystem& fs, int fd, bool readOnly);
    ~LockedFile();
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    // Reads up to size bytes; bytesRead tells how many came. Returns 0 or a file-layer code.
    [[nodiscard]] int read(
        std::int64_t offset, void* buffer, std::int64_t size, std::int64_t& bytesRead);
    [[nodiscard]] int write(std::int64_t offset, const void* buffer, std::int64_t size);
    [[nodiscard]] int length(std::int64_t& result);
    [[nodiscard]] int setLength(std::int64_t length);

    // How long a refused lock is retried, in milliseconds (0: not at all).
    [[nodiscard]] std::int64_t lockWait() const { return lockWait_; }
    void setLockWait(std::int64_t milliseconds) { lockWait_ = milliseconds; }

    // One byte, counted: only the first hold and the last release reach the kernel.
    [[nodiscard]] int lockByte(std::int64_t offset);
    [[nodiscard]] int unlockByte(std::int64_t offset);
    // The whole range (open checks, exclusive access), nesting; bytes locked meanwhile are
    // only recorded.
    [[nodiscard]] int lockWhole();
    [[nodiscard]] int unlockWhole();
    // Holds the whole range until the handle closes and takes no other lock.
    [[nodiscard]] int holdWholeForLife();

    // Shares the range from offset to the end of the whole range with other readers, for a
    // read of many records at once; any writer's byte in it refuses the lock. taken tells
    // whether the kernel was asked: not while the whole file is held already. Refused while
    // this handle holds a byte in the range, which a shared lock would weaken.
    [[nodiscard]] int lockSharedFrom(std::int64_t offset, bool& taken);
    [[nodiscard]] int unlockSharedFrom(std::int64_t offset);

    [[nodiscard]] bool holdsByte(std::int64_t offset) const;
    // Stops a build with assertions when this handle holds neither the byte nor the whole
    // range: code that reads a record on the strength of its lock calls it first.
    void assertHoldsByte(std::int64_t offset) const;

private:
    // (offset, hold count at least 1) of the single-byte locks, sorted by offset. A handle
    // holds only a few at a time, so a flat table saves a heap node per lock.
    using Holds = std::vector<std::pair<std::int64_t, int>>;

    [[nodiscard]] int lockRange(std::int64_t offset, std::int64_t length, bool shared);
    [[nodiscard]] int unlockRange(std::int64_t offset, std::int64_t length);
    // The whole range without the bytes held one by one, as separate ranges.
    template <typename Action> int forEachGap(Action action);

    platform::FileSystem& fs_;
    int fd_;
    bool readOnly_;
    std::int64_t lockWait_ = 0;
    Holds holds_;
    int wholeDepth_ = 0;
    bool lockFree_ = false;
};

} // namespace recdb

namespace recdb {

// Holds the shared range from an offset on for a scope (LockedFile::lockSharedFrom).
class SharedRangeLock {
public:
    SharedRangeLock(LockedFile& file, std::int64_t from)
        : file_(file)
        , from_(from)
        , result_(file.lockSharedFrom(from, taken_))
    {
    }
    ~SharedRangeLock()
    {
        // A release that fails leaves nothing to do: the lock goes with the handle at the latest.
        if (result_ == 0 && taken_)
            (void)file_.unlockSharedFrom(from_);
    }
    SharedRangeLock(const SharedRangeLock&) = delete;
    SharedRangeLock& operator=(const SharedRangeLock&) = delete;

    // 0 when the range is held, else the failure.
    [[nodiscard]] int result() const { return result_; }

private:
    LockedFile& file_;
    std::int64_t from_;
    bool taken_ = false;
    int result_;
};

// Holds one byte lock of a file for a scope.
class ByteLock {
public:
    ByteLock(LockedFile& file, std::int64_t offset)
        : file_(file)
        , offset_(offset)
        , result_(file.lockByte(offset))
    {
    }
    ~ByteLock()
    {
        if (result_ == 0)
            (void)file_.unlockByte(offset_);
    }
    ByteLock(const ByteLock&) = delete;
    ByteLock& operator=(const ByteLock&) = delete;

    // 0 when the lock is held, else the failure.
    [[nodiscard]] int result() const { return result_; }

private:
    LockedFile& file_;
    std::int64_t offset_;
    int result_;
};

} // namespace recdb
