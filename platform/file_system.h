#pragma once
// Every file and folder the program touches goes through this one interface: the record
// database, the INI files, the show files and their folder, the track reader, the hall folder
// and the single-instance lock. A test substitutes it to make a chosen call fail (the Nth
// write, a write cut short, the rename, a folder listing …) and then checks that the files
// are still whole and the failure was reported.
//
// Results: 0, a descriptor or a byte count on success, a negative errno on failure; never
// -1 with errno to look up. Descriptors belong to the caller, who closes them.
//
// Files opened are regular files only: opening never waits, so a FIFO named like a file
// cannot hang a caller, which checks status().regular before trusting what it opened.
// Matching names by pattern (platform/file_search.h) is built on listFolder.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct FileStatus {
    bool regular = false; // a regular file, not a folder, FIFO, device or link
    unsigned permissions = 0; // the 07777 bits
    std::int64_t size = 0;
    // Which file it is: two names or descriptors with the same pair are the same file.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modifiedNanos = 0; // last change of the content, since the epoch
    bool folder = false;
};

// One name in a folder. folder and regular say what the name leads to, a symbolic link
// followed (a dangling link is neither); link says that the name itself is one.
struct FolderEntry {
    std::string name; // as stored on disk, no path
    bool folder = false;
    bool regular = false;
    bool link = false;
};

enum class Access { read, write, readWrite };
enum class LockKind { shared, exclusive };

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Opens an existing file; never creates one.
    [[nodiscard]] virtual int open(const std::string& path, Access access) = 0;
    // Opens the file at path for reading and writing, creating it with permissions when
    // missing; a symbolic link in its place is refused with -ELOOP.
    [[nodiscard]] virtual int openOrCreate(const std::string& path, unsigned permissions) = 0;
    // Creates and opens a new file named after pathTemplate, whose last six characters
    // "XXXXXX" are replaced by the unique name chosen.
    [[nodiscard]] virtual int makeTemp(std::string& pathTemplate) = 0;
    // Fails only where written data could not be stored; closes the descriptor either way.
    [[nodiscard]] virtual int close(int fd) = 0;

    // Reads size bytes at offset; fewer only where the file ends.
    [[nodiscard]] virtual std::int64_t readAt(
        int fd, void* buffer, std::int64_t size, std::int64_t offset)
        = 0;
    // Writes all size bytes at offset or fails; a failure may leave some of them written.
    [[nodiscard]] virtual std::int64_t writeAt(
        int fd, const void* buffer, std::int64_t size, std::int64_t offset)
        = 0;
    [[nodiscard]] virtual int setLength(int fd, std::int64_t length) = 0;
    // The file's data and size reach the disk.
    [[nodiscard]] virtual int sync(int fd) = 0;

    [[nodiscard]] virtual int status(int fd, FileStatus& result) = 0;
    // What is at path itself, a symbolic link not followed; -ENOENT when nothing is.
    [[nodiscard]] virtual int linkStatus(const std::string& path, FileStatus& result) = 0;
    // What path leads to, symbolic links followed; -ENOENT when nothing does.
    [[nodiscard]] virtual int pathStatus(const std::string& path, FileStatus& result) = 0;
    [[nodiscard]] virtual int setPermissions(int fd, unsigned permissions) = 0;

    [[nodiscard]] virtual int rename(const std::string& from, const std::string& to) = 0;
    [[nodiscard]] virtual int unlink(const std::string& path) = 0;
    // The folder's entries reach the disk, so a rename into it survives a crash.
    [[nodiscard]] virtual int syncFolder(const std::string& path) = 0;
    // The names in a folder, "." and ".." left out, in no particular order; entries is
    // replaced, and empty on failure.
    [[nodiscard]] virtual int listFolder(const std::string& path, std::vector<FolderEntry>& entries)
        = 0;
    // Makes one folder (its parent must exist); -EEXIST when anything is there already.
    [[nodiscard]] virtual int makeFolder(const std::string& path, unsigned permissions) = 0;
    // Makes a new private folder named after pathTemplate, whose last six characters "XXXXXX"
    // are replaced by the unique name chosen.
    [[nodiscard]] virtual int makeTempFolder(std::string& pathTemplate) = 0;
    // Removes an empty folder.
    [[nodiscard]] virtual int removeFolder(const std::string& path) = 0;
    // The longest name, in bytes, that the folder takes for an entry.
    [[nodiscard]] virtual int longestName(const std::string& folder, long& bytes) = 0;
    // The absolute path, symbolic links resolved when the file exists.
    [[nodiscard]] virtual int resolvePath(const std::string& path, std::string& resolved) = 0;

    // Byte-range locks held by this descriptor alone (closing another descriptor of the same
    // file keeps them), never waiting: a conflict gives -EAGAIN or -EACCES. A shared lock
    // needs a descriptor open for reading, an exclusive one a descriptor open for writing.
    [[nodiscard]] virtual int lockRange(
        int fd, std::int64_t offset, std::int64_t length, LockKind kind)
        = 0;
    [[nodiscard]] virtual int unlockRange(int fd, std::int64_t offset, std::int64_t length) = 0;
    // An exclusive lock on the whole file until the descriptor closes, never waiting:
    // -EWOULDBLOCK while another descriptor holds it. Independent of the byte-range locks.
    [[nodiscard]] virtual int lockWholeFile(int fd) = 0;
};

// The operating system's files; stateless, shared by everyone.
[[nodiscard]] FileSystem& systemFileSystem();

} // namespace platform
