#pragma once
// The system calls the record database makes, behind one small interface so that tests can
// make a chosen call fail and then check that the files are still whole. Every call
// returns a negative errno on failure.

#include <cstdint>
#include <string>

namespace recdb {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Opens an existing file (never creates one); returns a descriptor.
    virtual int open(const std::string& nativePath, bool writable) = 0;
    virtual int close(int fd) = 0;
    // Positional reads and writes; a read may return fewer bytes at the end of the file.
    virtual std::int64_t readAt(int fd, void* buffer, std::int64_t size, std::int64_t offset) = 0;
    virtual std::int64_t writeAt(int fd, const void* buffer, std::int64_t size, std::int64_t offset)
        = 0;
    virtual std::int64_t length(int fd) = 0;
    virtual int setLength(int fd, std::int64_t length) = 0;
    virtual int sync(int fd) = 0;
    // Open-file-description byte-range locks, never waiting; shared ones for descriptors
    // opened read-only. A conflict gives -EAGAIN or -EACCES.
    virtual int lock(int fd, std::int64_t offset, std::int64_t length, bool shared) = 0;
    virtual int unlock(int fd, std::int64_t offset, std::int64_t length) = 0;
    // The absolute path, symbolic links resolved when the file exists; or a negative errno.
    virtual int resolvePath(const std::string& nativePath, std::string& resolved) = 0;
    virtual std::int64_t tickMillis() = 0;
    virtual void sleepMillis(std::int64_t milliseconds) = 0;
};

// The real system calls.
FileSystem& posixFileSystem();

// The record-database code of a failed system call (file layer codes -1 ... -15).
int errorFromErrno(int errnoValue);

} // namespace recdb
