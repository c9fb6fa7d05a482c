#pragma once
// The real file system with faults a test chooses: the Nth call of some kinds fails with a
// given errno, a failing write may store part of its bytes first (a disk filling up), and
// every call is counted. For checking that a failure at any step leaves the files whole and
// is reported; not for faking file contents (tests/recdb/memory_file_system.h does that).
//
// Safe to share between threads: a track's reader stage calls it while the test waits.

#include "platform/file_system.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace support {

enum class FileCall {
    openForReading,
    openForWriting, // write or read-write access
    openOrCreate,
    makeTemp,
    close,
    readAt,
    writeAt,
    setLength,
    sync,
    status,
    linkStatus,
    setPermissions,
    rename,
    unlink,
    syncFolder,
    resolvePath,
    lockRange,
    unlockRange,
    lockWholeFile,
    pathStatus,
    listFolder,
    makeFolder,
    makeTempFolder,
    removeFolder,
    longestName,
};
inline constexpr std::size_t fileCallKinds = std::size_t(FileCall::longestName) + 1;

class FaultyFileSystem final : public platform::FileSystem {
public:
    explicit FaultyFileSystem(platform::FileSystem& real = platform::systemFileSystem());

    // The nth call from now (counted from 1) among the given kinds fails with error; with
    // nth 0 every such call does. A failing writeAt first stores its first `kept` bytes.
    void failNth(std::initializer_list<FileCall> kinds, int nth, int error, std::int64_t kept = 0);
    void failEvery(std::initializer_list<FileCall> kinds, int error) { failNth(kinds, 0, error); }
    // The nth call from now among the given kinds ends the process with SIGKILL before it is
    // made: a kill -9 at an exact step, for a crash test run in a process of its own.
    void killAtNth(std::initializer_list<FileCall> kinds, int nth);
    // Drops the faults still waiting; the counts stay.
    void clearFaults();
    // Calls of a kind so far, failed ones included.
    int calls(FileCall kind) const;
    void resetCounts();

    // A power cut after `callsLeft` more calls of any kind: from then on every call fails
    // with EIO, and each file written since its last sync goes back to what that sync
    // stored (a file never synced comes back empty), as after a restart. Renames, creations
    // and deletions count as stored at once. Paths are matched as the caller spells them.
    void cutPowerAfter(std::int64_t callsLeft);
    [[nodiscard]] bool powerCut() const;
    // The power comes back: calls go through again (the descriptors of before stay dead).
    void restorePower();

    // A disk that takes its time: every sync from now waits until releaseSyncs().
    void holdSyncs();
    void releaseSyncs();
    // Syncs waiting now.
    [[nodiscard]] int syncsHeld() const;

    int open(const std::string& path, platform::Access access) override;
    int openOrCreate(const std::string& path, unsigned permissions) override;
    int makeTemp(std::string& pathTemplate) override;
    int close(int fd) override;
    std::int64_t readAt(int fd, void* buffer, std::int64_t size, std::int64_t offset) override;
    std::int64_t writeAt(
        int fd, const void* buffer, std::int64_t size, std::int64_t offset) override;
    int setLength(int fd, std::int64_t length) override;
    int sync(int fd) override;
    int status(int fd, platform::FileStatus& result) override;
    int linkStatus(const std::string& path, platform::FileStatus& result) override;
    int setPermissions(int fd, unsigned permissions) override;
    int rename(const std::string& from, const std::string& to) override;
    int unlink(const std::string& path) override;
    int syncFolder(const std::string& path) override;
    int resolvePath(const std::string& path, std::string& resolved) override;
    int lockRange(
        int fd, std::int64_t offset, std::int64_t length, platform::LockKind kind) override;
    int unlockRange(int fd, std::int64_t offset, std::int64_t length) override;
    int lockWholeFile(int fd) override;
    int pathStatus(const std::string& path, platform::FileStatus& result) override;
    int listFolder(const std::string& path, std::vector<platform::FolderEntry>& entries) override;
    int makeFolder(const std::string& path, unsigned permissions) override;
    int makeTempFolder(std::string& pathTemplate) override;
    int removeFolder(const std::string& path) override;
    int longestName(const std::string& folder, long& bytes) override;

private:
    struct Fault {
        std::vector<FileCall> kinds;
        int remaining; // calls of those kinds until the failing one; 0: every call fails
        int error;
        std::int64_t kept;
        bool kills = false;
    };
    struct Due {
        int error = 0; // 0: the call goes through
        std::int64_t kept = 0;
    };
    // Counts a call and says whether it fails.
    Due count(FileCall kind);
    // What a power cut keeps of files: the content each written file had at its last sync.
    void rememberSyncedLocked(int fd);
    void forgetSyncedLocked(int fd);
    void revertUnsyncedLocked();
    void trackOpenedLocked(int fd, const std::string& path);

    platform::FileSystem& real_;
    mutable std::mutex mutex_; // guards faults_ and calls_
    std::vector<Fault> faults_;
    std::array<int, fileCallKinds> calls_ {};
    std::condition_variable syncsReleased_;
    bool holdingSyncs_ = false;
    int syncsHeld_ = 0;
    // Power cut: below 0 never; else the calls left before it.
    std::int64_t callsBeforeCut_ = -1;
    bool cut_ = false;
    std::map<int, std::string> openPaths_; // descriptor → path, while the power is on
    // Files written since their last sync → their content at it (nothing: it never had any).
    std::map<std::string, std::optional<std::string>> unsynced_;
};

} // namespace support
