#include "platform/whole_files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <functional>

namespace platform {
namespace {

constexpr std::string_view temporarySuffix = ".XXXXXX";
constexpr std::int64_t chunkSize = 65536;

std::string folderOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Hands the bytes of fd, from the start, to sink in chunks; false when a read or sink fails.
bool readAll(FileSystem& files, int fd, const std::function<bool(const char*, std::int64_t)>& sink)
{
    char buffer[chunkSize];
    for (std::int64_t offset = 0;;) {
        std::int64_t n = files.readAt(fd, buffer, chunkSize, offset);
        if (n < 0 || (n > 0 && !sink(buffer, n)))
            return false;
        if (n < chunkSize)
            return true;
        offset += n;
    }
}

// Writes a temporary file beside target with fill, then renames it over target.
bool replaceAtomically(FileSystem& files, const std::string& target, unsigned permissions,
    const std::function<bool(int fd)>& fill)
{
    const std::string folder = folderOf(target);
    std::string temp = folder + "/." + baseNameOf(target) + std::string(temporarySuffix);
    int fd = files.makeTemp(temp);
    if (fd < 0) {
        return false;
    }
    bool written = fill(fd) && files.setPermissions(fd, permissions) == 0 && files.sync(fd) == 0;
    bool closed = files.close(fd) == 0;
    if (!written || !closed || files.rename(temp, target) != 0) {
        // Nothing to do if the leftover cannot go: the start-up clean-up finds it by name.
        (void)files.unlink(temp);
        return false;
    }
    // The rename itself must reach the disk too, or a crash could bring the old file back;
    // the new content is in place already, so a failure here is not the caller's to handle.
    (void)files.syncFolder(folder);
    return true;
}

// What a replacement of path may do: nothing when path exists but may not be written (a
// read-only file stays as it is, as writing into it would), else the permissions the new
// file takes (the old file's, or the given ones for a new file).
std::optional<unsigned> replacementPermissions(
    FileSystem& files, const std::string& path, unsigned newFilePermissions)
{
    int fd = files.open(path, Access::write);
    if (fd < 0) {
        return fd == -ENOENT ? std::optional<unsigned>(newFilePermissions) : std::nullopt;
    }
    FileStatus status;
    bool regular = files.status(fd, status) == 0 && status.regular;
    files.close(fd);
    return regular ? std::optional<unsigned>(status.permissions) : std::nullopt;
}

} // namespace

std::optional<std::string> readWholeFile(const std::string& path, FileSystem& files)
{
    int fd = files.open(path, Access::read);
    if (fd < 0) {
        return std::nullopt;
    }
    FileStatus status;
    std::optional<std::string> content;
    if (files.status(fd, status) == 0 && status.regular) {
        content.emplace();
        content->reserve(static_cast<std::size_t>(status.size));
        if (!readAll(files, fd, [&](const char* bytes, std::int64_t size) {
                content->append(bytes, static_cast<std::size_t>(size));
                return true;
            })) {
            content.reset();
        }
    }
    files.close(fd);
    return content;
}

bool replaceFile(const std::string& path, std::string_view content, FileSystem& files)
{
    std::optional<unsigned> permissions = replacementPermissions(files, path, 0644);
    return permissions && replaceAtomically(files, path, *permissions, [&](int fd) {
        auto size = static_cast<std::int64_t>(content.size());
        return files.writeAt(fd, content.data(), size, 0) == size;
    });
}

bool copyFileReplacing(const std::string& from, const std::string& to, FileSystem& files)
{
    int source = files.open(from, Access::read);
    if (source < 0) {
        return false;
    }
    FileStatus status;
    std::optional<unsigned> permissions;
    bool copied = files.status(source, status) == 0 && status.regular
        && (permissions = replacementPermissions(files, to, status.permissions))
        && replaceAtomically(files, to, *permissions, [&](int fd) {
               std::int64_t offset = 0;
               return readAll(files, source, [&](const char* bytes, std::int64_t size) {
                   bool written = files.writeAt(fd, bytes, size, offset) == size;
                   offset += size;
                   return written;
               });
           });
    files.close(source);
    return copied;
}

bool deleteFile(const std::string& path, FileSystem& files)
{
    return files.unlink(path) == 0;
}

bool isReplacementLeftover(std::string_view name, std::string_view targetSuffix)
{
    const std::size_t random = temporarySuffix.size() - 1;
    if (name.size() < 1 + targetSuffix.size() + temporarySuffix.size() || name.front() != '.')
        return false;
    const std::string_view target = name.substr(1, name.size() - 1 - temporarySuffix.size());
    const std::string_view tail = name.substr(name.size() - temporarySuffix.size());
    if (tail.front() != '.')
        return false;
    for (char c : tail.substr(1, random))
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    const std::string_view ending = target.substr(target.size() - targetSuffix.size());
    return std::equal(ending.begin(), ending.end(), targetSuffix.begin(), targetSuffix.end(),
        [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

} // namespace platform
