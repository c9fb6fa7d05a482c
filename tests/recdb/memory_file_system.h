#pragma once
// Files held in memory behind the record database's system-call seam, so that a fuzz input
// is opened without being written to disk. Every lock is granted: one handle at a time
// works on a file here. Not for tests of locking or of the real system calls.

#include "platform/file_system.h"

#include <cerrno>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace recdb::test {

class MemoryFileSystem final : public platform::FileSystem {
public:
    // The files by path; a test fills them before opening and reads them afterwards.
    std::map<std::string, std::vector<unsigned char>> files;

    int open(const std::string& nativePath, platform::Access access) override;
    int close(int fd) override;
    std::int64_t readAt(int fd, void* buffer, std::int64_t size, std::int64_t offset) override;
    std::int64_t writeAt(
        int fd, const void* buffer, std::int64_t size, std::int64_t offset) override;
    int setLength(int fd, std::int64_t length) override;
    int sync(int) override { return 0; }
    int status(int fd, platform::FileStatus& result) override;
    int lockRange(int, std::int64_t, std::int64_t, platform::LockKind) override { return 0; }
    int unlockRange(int, std::int64_t, std::int64_t) override { return 0; }
    int resolvePath(const std::string& nativePath, std::string& resolved) override;

    // The record database never creates, replaces or removes a file, nor locks one whole.
    int openOrCreate(const std::string&, unsigned) override { return -ENOSYS; }
    int makeTemp(std::string&) override { return -ENOSYS; }
    int linkStatus(const std::string&, platform::FileStatus&) override { return -ENOSYS; }
    int setPermissions(int, unsigned) override { return -ENOSYS; }
    int rename(const std::string&, const std::string&) override { return -ENOSYS; }
    int unlink(const std::string&) override { return -ENOSYS; }
    int syncFolder(const std::string&) override { return -ENOSYS; }
    int lockWholeFile(int) override { return -ENOSYS; }

private:
    struct Handle {
        std::vector<unsigned char>* file;
        bool writable;
    };
    // The file of a descriptor; nullptr for one that is not open.
    Handle* handle(int fd);

    std::map<int, Handle> handles_;
    int nextFd_ = 3;
};

} // namespace recdb::test
