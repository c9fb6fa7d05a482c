#include "platform/posix/file_ops.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

int FileOps::open(const char* path, int flags, mode_t mode)
{
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int FileOps::makeTemp(char* pathTemplate)
{
    return ::mkostemp(pathTemplate, O_CLOEXEC);
}

ssize_t FileOps::read(int fd, void* buffer, std::size_t size)
{
    ssize_t n;
    do {
        n = ::read(fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

ssize_t FileOps::write(int fd, const void* buffer, std::size_t size)
{
    ssize_t n;
    do {
        n = ::write(fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

int FileOps::fstat(int fd, struct stat* status)
{
    return ::fstat(fd, status);
}

int FileOps::fchmod(int fd, mode_t mode)
{
    return ::fchmod(fd, mode);
}

int FileOps::fsync(int fd)
{
    return ::fsync(fd);
}

int FileOps::close(int fd)
{
    return ::close(fd);
}

int FileOps::rename(const char* from, const char* to)
{
    return std::rename(from, to);
}

int FileOps::unlink(const char* path)
{
    return ::unlink(path);
}

FileOps& systemFileOps()
{
    static FileOps ops;
    return ops;
}

} // namespace platform
