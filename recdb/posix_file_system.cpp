#include "recdb/error_codes.h"
#include "recdb/file_system.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recdb {

namespace {

int failure()
{
    return -errno;
}

class PosixFileSystem final : public FileSystem {
public:
    int open(const std::string& nativePath, bool writable) override
    {
        int fd = ::open(nativePath.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
        return fd < 0 ? failure() : fd;
    }

    int close(int fd) override { return ::close(fd) < 0 ? failure() : 0; }

    std::int64_t readAt(int fd, void* buffer, std::int64_t size, std::int64_t offset) override
    {
        std::int64_t done = 0;
        while (done < size) {
            ssize_t n = ::pread(fd, static_cast<char*>(buffer) + done,
                static_cast<size_t>(size - done), offset + done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return failure();
            if (n == 0)
                break;
            done += n;
        }
        return done;
    }

    std::int64_t writeAt(
        int fd, const void* buffer, std::int64_t size, std::int64_t offset) override
    {
        std::int64_t done = 0;
        while (done < size) {
            ssize_t n = ::pwrite(fd, static_cast<const char*>(buffer) + done,
                static_cast<size_t>(size - done), offset + done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n < 0 ? failure() : -EIO;
            done += n;
        }
        return done;
    }

    std::int64_t length(int fd) override
    {
        struct stat info { };
        return ::fstat(fd, &info) < 0 ? failure() : info.st_size;
    }

    int setLength(int fd, std::int64_t length) override
    {
        return ::ftruncate(fd, length) < 0 ? failure() : 0;
    }

    int sync(int fd) override { return ::fdatasync(fd) < 0 ? failure() : 0; }

    int lock(int fd, std::int64_t offset, std::int64_t length, bool shared) override
    {
        return setLock(fd, shared ? F_RDLCK : F_WRLCK, offset, length);
    }

    int unlock(int fd, std::int64_t offset, std::int64_t length) override
    {
        return setLock(fd, F_UNLCK, offset, length);
    }

    int resolvePath(const std::string& nativePath, std::string& resolved) override
    {
        char* full = ::realpath(nativePath.c_str(), nullptr);
        if (full) {
            resolved = full;
            std::free(full);
            return 0;
        }
        // A missing file still gets its absolute name; opening it reports the failure.
        if (!nativePath.empty() && nativePath.front() == '/') {
            resolved = nativePath;
            return 0;
        }
        char* directory = ::getcwd(nullptr, 0);
        if (!directory)
            return failure();
        resolved = std::string(directory) + "/" + nativePath;
        std::free(directory);
        return 0;
    }

    std::int64_t tickMillis() override
    {
        timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        return std::int64_t { now.tv_sec } * 1000 + now.tv_nsec / 1000000;
    }

    void sleepMillis(std::int64_t milliseconds) override
    {
        timespec remaining { static_cast<time_t>(milliseconds / 1000),
            static_cast<long>(milliseconds % 1000) * 1000000 };
        while (::nanosleep(&remaining, &remaining) < 0 && errno == EINTR) { }
    }

private:
    static int setLock(int fd, short type, std::int64_t offset, std::int64_t length)
    {
        struct flock request { };
        request.l_type = type;
        request.l_whence = SEEK_SET;
        request.l_start = offset;
        request.l_len = length;
        while (::fcntl(fd, F_OFD_SETLK, &request) < 0) {
            if (errno != EINTR)
                return failure();
        }
        return 0;
    }
};

} // namespace

FileSystem& posixFileSystem()
{
    static PosixFileSystem instance;
    return instance;
}

int errorFromErrno(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
        return FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EILSEQ:
        return BadPath;
    case EMFILE:
    case ENFILE:
        return TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return AccessDenied;
    case EBADF:
        return InvalidFile;
    case ESPIPE:
    case EOVERFLOW:
    case EINVAL:
        return BadSeek;
    case EIO:
        return HardwareFault;
    case EAGAIN:
        return LockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return DiskFull;
    default:
        return UnknownError;
    }
}

} // namespace recdb
