#include "platform/file_system.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

int failure()
{
    return -errno;
}

// Retries a call that a signal interrupted; returns its result, or a negative errno.
template <typename Call> auto retried(Call call)
{
    for (;;) {
        auto result = call();
        if (result >= 0)
            return result;
        if (errno != EINTR)
            return decltype(result)(failure());
    }
}

int accessFlags(Access access)
{
    switch (access) {
    case Access::read:
        return O_RDONLY;
    case Access::write:
        return O_WRONLY;
    case Access::readWrite:
        break;
    }
    return O_RDWR;
}

FileStatus statusFrom(const struct stat& info)
{
    return { S_ISREG(info.st_mode), static_cast<unsigned>(info.st_mode & 07777),
        static_cast<std::int64_t>(info.st_size), static_cast<std::uint64_t>(info.st_dev),
        static_cast<std::uint64_t>(info.st_ino),
        std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec };
}

int setLock(int fd, short type, std::int64_t offset, std::int64_t length)
{
    struct flock request { };
    request.l_type = type;
    request.l_whence = SEEK_SET;
    request.l_start = offset;
    request.l_len = length;
    return retried([&] { return ::fcntl(fd, F_OFD_SETLK, &request); });
}

class SystemFileSystem final : public FileSystem {
public:
    // Non-blocking, so a FIFO or device named like a file is refused instead of hanging.
    int open(const std::string& path, Access access) override
    {
        return retried(
            [&] { return ::open(path.c_str(), accessFlags(access) | O_CLOEXEC | O_NONBLOCK); });
    }

    int openOrCreate(const std::string& path, unsigned permissions) override
    {
        return retried([&] {
            return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK,
                static_cast<mode_t>(permissions));
        });
    }

    int makeTemp(std::string& pathTemplate) override
    {
        std::vector<char> name(pathTemplate.begin(), pathTemplate.end());
        name.push_back('\0');
        int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
            return failure();
        pathTemplate.assign(name.data());
        return fd;
    }

    int close(int fd) override { return ::close(fd) < 0 ? failure() : 0; }

    std::int64_t readAt(int fd, void* buffer, std::int64_t size, std::int64_t offset) override
    {
        std::int64_t done = 0;
        while (done < size) {
            ssize_t n = retried([&] {
                return ::pread(fd, static_cast<char*>(buffer) + done,
                    static_cast<size_t>(size - done), offset + done);
            });
            if (n < 0)
                return n;
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
            ssize_t n = retried([&] {
                return ::pwrite(fd, static_cast<const char*>(buffer) + done,
                    static_cast<size_t>(size - done), offset + done);
            });
            if (n <= 0)
                return n < 0 ? n : -EIO;
            done += n;
        }
        return done;
    }

    int setLength(int fd, std::int64_t length) override
    {
        return retried([&] { return ::ftruncate(fd, length); });
    }

    int sync(int fd) override { return ::fsync(fd) < 0 ? failure() : 0; }

    int status(int fd, FileStatus& result) override
    {
        struct stat info { };
        if (::fstat(fd, &info) < 0)
            return failure();
        result = statusFrom(info);
        return 0;
    }

    int linkStatus(const std::string& path, FileStatus& result) override
    {
        struct stat info { };
        if (::lstat(path.c_str(), &info) < 0)
            return failure();
        result = statusFrom(info);
        return 0;
    }

    int setPermissions(int fd, unsigned permissions) override
    {
        return ::fchmod(fd, static_cast<mode_t>(permissions)) < 0 ? failure() : 0;
    }

    int rename(const std::string& from, const std::string& to) override
    {
        return std::rename(from.c_str(), to.c_str()) < 0 ? failure() : 0;
    }

    int unlink(const std::string& path) override
    {
        return ::unlink(path.c_str()) < 0 ? failure() : 0;
    }

    int syncFolder(const std::string& path) override
    {
        int fd = retried([&] { return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
        if (fd < 0)
            return fd;
        int result = sync(fd);
        ::close(fd);
        return result;
    }

    int resolvePath(const std::string& path, std::string& resolved) override
    {
        char* full = ::realpath(path.c_str(), nullptr);
        if (full) {
            resolved = full;
            std::free(full);
            return 0;
        }
        // A missing file still gets its absolute name; opening it reports the failure.
        if (!path.empty() && path.front() == '/') {
            resolved = path;
            return 0;
        }
        char* folder = ::getcwd(nullptr, 0);
        if (!folder)
            return failure();
        resolved = std::string(folder) + "/" + path;
        std::free(folder);
        return 0;
    }

    int lockRange(int fd, std::int64_t offset, std::int64_t length, LockKind kind) override
    {
        return setLock(fd, kind == LockKind::shared ? F_RDLCK : F_WRLCK, offset, length);
    }

    int unlockRange(int fd, std::int64_t offset, std::int64_t length) override
    {
        return setLock(fd, F_UNLCK, offset, length);
    }

    int lockWholeFile(int fd) override
    {
        return retried([&] { return ::flock(fd, LOCK_EX | LOCK_NB); });
    }
};

} // namespace

FileSystem& systemFileSystem()
{
    static SystemFileSystem instance;
    return instance;
}

} // namespace platform
