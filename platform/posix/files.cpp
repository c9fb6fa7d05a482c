#include "platform/posix/files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <vector>

namespace platform {
namespace {

constexpr std::string_view temporarySuffix = ".XXXXXX";

bool writeAll(FileOps& ops, int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t written = ops.write(fd, data, size);
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::string directoryOf(const std::string& path)
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

// The rename itself must reach the disk too, or a crash could bring the old name back.
void syncDirectory(FileOps& ops, const std::string& directory)
{
    int fd = ops.open(directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ops.fsync(fd);
        ops.close(fd);
    }
}

// Writes a temporary file beside target with fill, then renames it over target.
bool replaceAtomically(
    FileOps& ops, const std::string& target, mode_t mode, const std::function<bool(int fd)>& fill)
{
    std::string directory = directoryOf(target);
    std::string temp = directory + "/." + baseNameOf(target) + std::string(temporarySuffix);
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = ops.makeTemp(name.data());
    if (fd < 0) {
        return false;
    }
    bool written = fill(fd) && ops.fchmod(fd, mode) == 0 && ops.fsync(fd) == 0;
    bool closed = ops.close(fd) == 0;
    if (!written || !closed || ops.rename(name.data(), target.c_str()) != 0) {
        ops.unlink(name.data());
        return false;
    }
    syncDirectory(ops, directory);
    return true;
}

// What a replacement of path may do: nothing when path exists but may not be written (a
// read-only file stays as it is, as writing into it would), else the mode the new file
// takes (the old file's, or the given one for a new file).
std::optional<mode_t> replacementMode(FileOps& ops, const std::string& path, mode_t newFileMode)
{
    int fd = ops.open(path.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT ? std::optional<mode_t>(newFileMode) : std::nullopt;
    }
    struct stat status { };
    bool regular = ops.fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    ops.close(fd);
    return regular ? std::optional<mode_t>(status.st_mode & 07777) : std::nullopt;
}

} // namespace

std::optional<std::string> readWholeFile(const std::string& path, FileOps& ops)
{
    int fd = ops.open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat status { };
    std::optional<std::string> content;
    if (ops.fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        content.emplace();
        char buffer[65536];
        ssize_t n;
        while ((n = ops.read(fd, buffer, sizeof buffer)) > 0) {
            content->append(buffer, static_cast<std::size_t>(n));
        }
        if (n < 0) {
            content.reset();
        }
    }
    ops.close(fd);
    return content;
}

bool replaceFile(const std::string& path, std::string_view content, FileOps& ops)
{
    std::optional<mode_t> mode = replacementMode(ops, path, 0644);
    return mode && replaceAtomically(ops, path, *mode, [&](int fd) {
        return writeAll(ops, fd, content.data(), content.size());
    });
}

bool copyFileReplacing(const std::string& from, const std::string& to, FileOps& ops)
{
    int source = ops.open(from.c_str(), O_RDONLY);
    if (source < 0) {
        return false;
    }
    struct stat status { };
    std::optional<mode_t> mode;
    bool copied = ops.fstat(source, &status) == 0 && S_ISREG(status.st_mode)
        && (mode = replacementMode(ops, to, status.st_mode & 07777))
        && replaceAtomically(ops, to, *mode, [&](int fd) {
               char buffer[65536];
               ssize_t n;
               while ((n = ops.read(source, buffer, sizeof buffer)) > 0) {
                   if (!writeAll(ops, fd, buffer, static_cast<std::size_t>(n))) {
                       return false;
                   }
               }
               return n == 0;
           });
    ops.close(source);
    return copied;
}

bool deleteFile(const std::string& path, FileOps& ops)
{
    return ops.unlink(path.c_str()) == 0;
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
