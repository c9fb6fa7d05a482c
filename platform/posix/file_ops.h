#pragma once
// The system calls that write files, behind one small interface so a test can make any of
// them fail (the Nth write, the rename …) and then check that the files are still whole.
// The default implementation calls the system; override only what a test needs.

#include <cstddef>
#include <sys/stat.h>
#include <sys/types.h>

namespace platform {

class FileOps {
public:
    virtual ~FileOps() = default;
    virtual int open(const char* path, int flags, mode_t mode = 0);
    // Creates and opens a unique file from a template ending in "XXXXXX".
    virtual int makeTemp(char* pathTemplate);
    virtual ssize_t read(int fd, void* buffer, std::size_t size);
    virtual ssize_t write(int fd, const void* buffer, std::size_t size);
    virtual int fstat(int fd, struct stat* status);
    virtual int fchmod(int fd, mode_t mode);
    virtual int fsync(int fd);
    virtual int close(int fd);
    virtual int rename(const char* from, const char* to);
    virtual int unlink(const char* path);
};

// The plain system calls; stateless, shared by everyone.
FileOps& systemFileOps();

} // namespace platform
