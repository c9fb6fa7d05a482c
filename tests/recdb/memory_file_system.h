#pragma once
// Files held in memory behind the record database's system-call seam, so that a fuzz input
// is opened without being written to disk. Every lock is granted: one handle at a time
// works on a file here. Not for tests of locking or of the real system calls.

#include "recdb/file_system.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace recdb::test {

class MemoryFileSystem final : public FileSystem {
public:
    // The files by path; a test fills them before opening and reads them afterwards.
    std::map<std::string, std::vector<unsigned char>> files;

    int open(const std::string& nativePath, bool writable) override;
    int close(int fd) override;
    std::int64_t readAt(int fd, void* buffer, std::int64_t size, std::int64_t offset) override;
    std::int64_t writeAt(
        int fd, const void* buffer, std::int64_t size, std::int64_t offset) override;
    std::int64_t length(int fd) override;
    int setLength(int fd, std::int64_t length) override;
    int sync(int) override { return 0; }
    int lock(int, std::int64_t, std::int64_t, bool) override { return 0; }
    int unlock(int, std::int64_t, std::int64_t) override { return 0; }
    int resolvePath(const std::string& nativePath, std::string& resolved) override;
    std::int64_t tickMillis() override { return ticks_++; }
    void sleepMillis(std::int64_t milliseconds) override { ticks_ += milliseconds; }

private:
    struct Handle {
        std::vector<unsigned char>* file;
        bool writable;
    };
    // The file of a descriptor; nullptr for one that is not open.
    Handle* handle(int fd);

    std::map<int, Handle> handles_;
    int nextFd_ = 3;
    std::int64_t ticks_ = 0;
};

} // namespace recdb::test
