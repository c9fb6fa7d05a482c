#include "memory_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace recdb::test {

namespace {

// Writes past this offset fail as on a full disk: a fuzz input cannot grow a file without end.
constexpr std::int64_t largestFile = std::int64_t { 64 } << 20;

} // namespace

MemoryFileSystem::Handle* MemoryFileSystem::handle(int fd)
{
    auto found = handles_.find(fd);
    return found == handles_.end() ? nullptr : &found->second;
}

int MemoryFileSystem::open(const std::string& nativePath, platform::Access access)
{
    auto file = files.find(nativePath);
    if (file == files.end())
        return -ENOENT;
    handles_[nextFd_] = { &file->second, access != platform::Access::read };
    return nextFd_++;
}

int MemoryFileSystem::close(int fd)
{
    return handles_.erase(fd) ? 0 : -EBADF;
}

std::int64_t MemoryFileSystem::readAt(int fd, void* buffer, std::int64_t size, std::int64_t offset)
{
    Handle* open = handle(fd);
    if (!open)
        return -EBADF;
    if (offset < 0 || size < 0)
        return -EINVAL;
    const auto length = std::int64_t(open->file->size());
    const std::int64_t count = std::clamp<std::int64_t>(length - offset, 0, size);
    if (count > 0)
        std::memcpy(buffer, open->file->data() + offset, std::size_t(count));
    return count;
}

std::int64_t MemoryFileSystem::writeAt(
    int fd, const void* buffer, std::int64_t size, std::int64_t offset)
{
    Handle* open = handle(fd);
    if (!open)
        return -EBADF;
    if (!open->writable)
        return -EBADF;
    if (offset < 0 || size < 0)
        return -EINVAL;
    if (offset + size > largestFile)
        return -ENOSPC;
    if (std::int64_t(open->file->size()) < offset + size)
        open->file->resize(std::size_t(offset + size));
    if (size > 0)
        std::memcpy(open->file->data() + offset, buffer, std::size_t(size));
    return size;
}

int MemoryFileSystem::status(int fd, platform::FileStatus& result)
{
    Handle* open = handle(fd);
    if (!open)
        return -EBADF;
    result = { true, 0644, std::int64_t(open->file->size()) };
    return 0;
}

int MemoryFileSystem::setLength(int fd, std::int64_t length)
{
    Handle* open = handle(fd);
    if (!open || !open->writable)
        return -EBADF;
    if (length < 0)
        return -EINVAL;
    if (length > largestFile)
        return -EFBIG;
    open->file->resize(std::size_t(length));
    return 0;
}

int MemoryFileSystem::resolvePath(const std::string& nativePath, std::string& resolved)
{
    resolved = nativePath;
    return 0;
}

} // namespace recdb::test
