#include "faulty_file_system.h"

#include <algorithm>

namespace support {

FaultyFileSystem::FaultyFileSystem(platform::FileSystem& real)
    : real_(real)
{
}

void FaultyFileSystem::failNth(
    std::initializer_list<FileCall> kinds, int nth, int error, std::int64_t kept)
{
    std::lock_guard lock(mutex_);
    faults_.push_back({ kinds, nth, error, kept });
}

void FaultyFileSystem::clearFaults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

int FaultyFileSystem::calls(FileCall kind) const
{
    std::lock_guard lock(mutex_);
    return calls_[std::size_t(kind)];
}

void FaultyFileSystem::resetCounts()
{
    std::lock_guard lock(mutex_);
    calls_.fill(0);
}

FaultyFileSystem::Due FaultyFileSystem::count(FileCall kind)
{
    std::lock_guard lock(mutex_);
    ++calls_[std::size_t(kind)];
    Due due;
    for (auto fault = faults_.begin(); fault != faults_.end();) {
        if (std::find(fault->kinds.begin(), fault->kinds.end(), kind) == fault->kinds.end()) {
            ++fault;
            continue;
        }
        if (fault->remaining == 0) {
            due = { fault->error, fault->kept };
            ++fault;
        } else if (--fault->remaining == 0) {
            if (due.error == 0)
                due = { fault->error, fault->kept };
            fault = faults_.erase(fault);
        } else {
            ++fault;
        }
    }
    return due;
}

int FaultyFileSystem::open(const std::string& path, platform::Access access)
{
    const Due due = count(
        access == platform::Access::read ? FileCall::openForReading : FileCall::openForWriting);
    return due.error ? -due.error : real_.open(path, access);
}

int FaultyFileSystem::openOrCreate(const std::string& path, unsigned permissions)
{
    const Due due = count(FileCall::openOrCreate);
    return due.error ? -due.error : real_.openOrCreate(path, permissions);
}

int FaultyFileSystem::makeTemp(std::string& pathTemplate)
{
    const Due due = count(FileCall::makeTemp);
    return due.error ? -due.error : real_.makeTemp(pathTemplate);
}

int FaultyFileSystem::close(int fd)
{
    // The descriptor goes either way, as the system's close does.
    const Due due = count(FileCall::close);
    const int closed = real_.close(fd);
    return due.error ? -due.error : closed;
}

std::int64_t FaultyFileSystem::readAt(int fd, void* buffer, std::int64_t size, std::int64_t offset)
{
    const Due due = count(FileCall::readAt);
    return due.error ? -due.error : real_.readAt(fd, buffer, size, offset);
}

std::int64_t FaultyFileSystem::writeAt(
    int fd, const void* buffer, std::int64_t size, std::int64_t offset)
{
    const Due due = count(FileCall::writeAt);
    if (!due.error)
        return real_.writeAt(fd, buffer, size, offset);
    // What reached the disk before the failure stays there; the call fails either way.
    if (const std::int64_t kept = std::min(due.kept, size); kept > 0)
        (void)real_.writeAt(fd, buffer, kept, offset);
    return -due.error;
}

int FaultyFileSystem::setLength(int fd, std::int64_t length)
{
    const Due due = count(FileCall::setLength);
    return due.error ? -due.error : real_.setLength(fd, length);
}

int FaultyFileSystem::sync(int fd)
{
    const Due due = count(FileCall::sync);
    return due.error ? -due.error : real_.sync(fd);
}

int FaultyFileSystem::status(int fd, platform::FileStatus& result)
{
    const Due due = count(FileCall::status);
    return due.error ? -due.error : real_.status(fd, result);
}

int FaultyFileSystem::linkStatus(const std::string& path, platform::FileStatus& result)
{
    const Due due = count(FileCall::linkStatus);
    return due.error ? -due.error : real_.linkStatus(path, result);
}

int FaultyFileSystem::setPermissions(int fd, unsigned permissions)
{
    const Due due = count(FileCall::setPermissions);
    return due.error ? -due.error : real_.setPermissions(fd, permissions);
}

int FaultyFileSystem::rename(const std::string& from, const std::string& to)
{
    const Due due = count(FileCall::rename);
    return due.error ? -due.error : real_.rename(from, to);
}

int FaultyFileSystem::unlink(const std::string& path)
{
    const Due due = count(FileCall::unlink);
    return due.error ? -due.error : real_.unlink(path);
}

int FaultyFileSystem::syncFolder(const std::string& path)
{
    const Due due = count(FileCall::syncFolder);
    return due.error ? -due.error : real_.syncFolder(path);
}

int FaultyFileSystem::resolvePath(const std::string& path, std::string& resolved)
{
    const Due due = count(FileCall::resolvePath);
    return due.error ? -due.error : real_.resolvePath(path, resolved);
}

int FaultyFileSystem::lockRange(
    int fd, std::int64_t offset, std::int64_t length, platform::LockKind kind)
{
    const Due due = count(FileCall::lockRange);
    return due.error ? -due.error : real_.lockRange(fd, offset, length, kind);
}

int FaultyFileSystem::unlockRange(int fd, std::int64_t offset, std::int64_t length)
{
    const Due due = count(FileCall::unlockRange);
    return due.error ? -due.error : real_.unlockRange(fd, offset, length);
}

int FaultyFileSystem::lockWholeFile(int fd)
{
    const Due due = count(FileCall::lockWholeFile);
    return due.error ? -due.error : real_.lockWholeFile(fd);
}

} // namespace support
