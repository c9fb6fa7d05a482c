#include "faulty_file_system.h"

#include "platform/whole_files.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>

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

void FaultyFileSystem::killAtNth(std::initializer_list<FileCall> kinds, int nth)
{
    std::lock_guard lock(mutex_);
    faults_.push_back({ kinds, nth, 0, 0, true });
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

void FaultyFileSystem::cutPowerAfter(std::int64_t callsLeft)
{
    std::lock_guard lock(mutex_);
    callsBeforeCut_ = callsLeft;
    unsynced_.clear();
}

bool FaultyFileSystem::powerCut() const
{
    std::lock_guard lock(mutex_);
    return cut_;
}

void FaultyFileSystem::restorePower()
{
    std::lock_guard lock(mutex_);
    cut_ = false;
    callsBeforeCut_ = -1;
    openPaths_.clear();
    unsynced_.clear();
}

void FaultyFileSystem::trackOpenedLocked(int fd, const std::string& path)
{
    if (fd >= 0)
        openPaths_[fd] = path;
}

void FaultyFileSystem::rememberSyncedLocked(int fd)
{
    const auto opened = openPaths_.find(fd);
    if (callsBeforeCut_ < 0 || opened == openPaths_.end() || unsynced_.count(opened->second))
        return;
    unsynced_[opened->second] = platform::readWholeFile(opened->second, real_);
}

void FaultyFileSystem::forgetSyncedLocked(int fd)
{
    if (const auto opened = openPaths_.find(fd); opened != openPaths_.end())
        unsynced_.erase(opened->second);
}

void FaultyFileSystem::revertUnsyncedLocked()
{
    for (const auto& [path, content] : unsynced_) {
        const int fd = real_.open(path, platform::Access::write);
        if (fd < 0)
            continue; // gone: deletions are stored at once
        const std::string bytes = content.value_or(std::string());
        const auto size = static_cast<std::int64_t>(bytes.size());
        // The test reads these files next; a revert that fails must not pass unseen.
        if (real_.setLength(fd, 0) != 0
            || (size > 0 && real_.writeAt(fd, bytes.data(), size, 0) != size))
            std::abort();
        (void)real_.close(fd);
    }
    unsynced_.clear();
}

FaultyFileSystem::Due FaultyFileSystem::count(FileCall kind)
{
    std::lock_guard lock(mutex_);
    ++calls_[std::size_t(kind)];
    if (callsBeforeCut_ == 0 && !cut_) {
        revertUnsyncedLocked();
        cut_ = true;
    }
    if (cut_)
        return { EIO, 0 };
    if (callsBeforeCut_ > 0)
        --callsBeforeCut_;
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
            if (fault->kills)
                std::raise(SIGKILL);
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
    if (due.error)
        return -due.error;
    const int fd = real_.open(path, access);
    std::lock_guard lock(mutex_);
    trackOpenedLocked(fd, path);
    return fd;
}

int FaultyFileSystem::openOrCreate(const std::string& path, unsigned permissions)
{
    const Due due = count(FileCall::openOrCreate);
    if (due.error)
        return -due.error;
    const int fd = real_.openOrCreate(path, permissions);
    std::lock_guard lock(mutex_);
    trackOpenedLocked(fd, path);
    return fd;
}

int FaultyFileSystem::makeTemp(std::string& pathTemplate)
{
    const Due due = count(FileCall::makeTemp);
    if (due.error)
        return -due.error;
    const int fd = real_.makeTemp(pathTemplate);
    std::lock_guard lock(mutex_);
    trackOpenedLocked(fd, pathTemplate);
    // A new file: a cut before its first sync leaves it empty.
    if (fd >= 0 && callsBeforeCut_ >= 0)
        unsynced_[pathTemplate] = std::nullopt;
    return fd;
}

int FaultyFileSystem::close(int fd)
{
    // The descriptor goes either way, as the system's close does.
    const Due due = count(FileCall::close);
    {
        std::lock_guard lock(mutex_);
        openPaths_.erase(fd);
    }
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
    {
        std::lock_guard lock(mutex_);
        rememberSyncedLocked(fd);
    }
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
    if (due.error)
        return -due.error;
    std::lock_guard lock(mutex_);
    rememberSyncedLocked(fd);
    return real_.setLength(fd, length);
}

void FaultyFileSystem::holdSyncs()
{
    std::lock_guard lock(mutex_);
    holdingSyncs_ = true;
}

void FaultyFileSystem::releaseSyncs()
{
    std::lock_guard lock(mutex_);
    holdingSyncs_ = false;
    syncsReleased_.notify_all();
}

int FaultyFileSystem::syncsHeld() const
{
    std::lock_guard lock(mutex_);
    return syncsHeld_;
}

int FaultyFileSystem::sync(int fd)
{
    const Due due = count(FileCall::sync);
    if (due.error)
        return -due.error;
    {
        std::unique_lock lock(mutex_);
        ++syncsHeld_;
        syncsReleased_.wait(lock, [this] { return !holdingSyncs_; });
        --syncsHeld_;
    }
    const int synced = real_.sync(fd);
    std::lock_guard lock(mutex_);
    if (synced == 0)
        forgetSyncedLocked(fd);
    return synced;
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
    if (due.error)
        return -due.error;
    const int renamed = real_.rename(from, to);
    std::lock_guard lock(mutex_);
    if (renamed == 0) {
        // The file keeps what a cut would leave of it under its new name.
        unsynced_.erase(to);
        if (auto node = unsynced_.extract(from); !node.empty()) {
            node.key() = to;
            unsynced_.insert(std::move(node));
        }
        for (auto& [fd, path] : openPaths_)
            if (path == from)
                path = to;
    }
    return renamed;
}

int FaultyFileSystem::unlink(const std::string& path)
{
    const Due due = count(FileCall::unlink);
    if (due.error)
        return -due.error;
    const int unlinked = real_.unlink(path);
    std::lock_guard lock(mutex_);
    if (unlinked == 0)
        unsynced_.erase(path);
    return unlinked;
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

int FaultyFileSystem::pathStatus(const std::string& path, platform::FileStatus& result)
{
    const Due due = count(FileCall::pathStatus);
    return due.error ? -due.error : real_.pathStatus(path, result);
}

int FaultyFileSystem::listFolder(
    const std::string& path, std::vector<platform::FolderEntry>& entries)
{
    const Due due = count(FileCall::listFolder);
    if (!due.error)
        return real_.listFolder(path, entries);
    entries.clear();
    return -due.error;
}

int FaultyFileSystem::makeFolder(const std::string& path, unsigned permissions)
{
    const Due due = count(FileCall::makeFolder);
    return due.error ? -due.error : real_.makeFolder(path, permissions);
}

int FaultyFileSystem::makeTempFolder(std::string& pathTemplate)
{
    const Due due = count(FileCall::makeTempFolder);
    return due.error ? -due.error : real_.makeTempFolder(pathTemplate);
}

int FaultyFileSystem::removeFolder(const std::string& path)
{
    const Due due = count(FileCall::removeFolder);
    return due.error ? -due.error : real_.removeFolder(path);
}

int FaultyFileSystem::longestName(const std::string& folder, long& bytes)
{
    const Due due = count(FileCall::longestName);
    return due.error ? -due.error : real_.longestName(folder, bytes);
}

} // namespace support
