#include "platform/folder_trees.h"

#include "platform/whole_files.h"

#include <cerrno>
#include <vector>

namespace platform {
namespace {

std::string parentOf(const std::string& path)
{
    std::size_t end = path.find_last_not_of('/');
    if (end == std::string::npos)
        return {};
    const std::size_t slash = path.rfind('/', end);
    if (slash == std::string::npos)
        return {};
    end = path.find_last_not_of('/', slash);
    return end == std::string::npos ? "/" : path.substr(0, end + 1);
}

} // namespace

int makeFolders(const std::string& path, unsigned permissions, FileSystem& files)
{
    FileStatus status;
    if (files.pathStatus(path, status) == 0)
        return status.folder ? 0 : -ENOTDIR;
    const std::string parent = parentOf(path);
    if (!parent.empty())
        if (const int made = makeFolders(parent, permissions, files); made < 0)
            return made;
    const int made = files.makeFolder(path, permissions);
    // Another process may make it at the same moment: a folder there is all that is wanted.
    if (made == -EEXIST && files.pathStatus(path, status) == 0 && status.folder)
        return 0;
    return made;
}

int removeTree(const std::string& path, FileSystem& files)
{
    FileStatus status;
    if (const int found = files.linkStatus(path, status); found < 0)
        return found == -ENOENT ? 0 : found;
    if (!status.folder)
        return files.unlink(path);
    std::vector<FolderEntry> entries;
    if (const int listed = files.listFolder(path, entries); listed < 0)
        return listed;
    int result = 0;
    for (const FolderEntry& entry : entries) {
        const std::string inside = path + "/" + entry.name;
        const int removed
            = entry.folder && !entry.link ? removeTree(inside, files) : files.unlink(inside);
        if (result == 0 && removed < 0 && removed != -ENOENT)
            result = removed;
    }
    if (result < 0)
        return result;
    return files.removeFolder(path);
}

int copyTree(const std::string& from, const std::string& to, FileSystem& files)
{
    FileStatus status;
    if (const int found = files.pathStatus(from, status); found < 0)
        return found;
    if (status.regular)
        return copyFileReplacing(from, to, files) ? 0 : -EIO;
    if (!status.folder)
        return -EINVAL;
    if (const int made = files.makeFolder(to, status.permissions | 0700); made < 0)
        return made;
    std::vector<FolderEntry> entries;
    if (const int listed = files.listFolder(from, entries); listed < 0)
        return listed;
    for (const FolderEntry& entry : entries) {
        if (entry.link || !(entry.folder || entry.regular))
            continue;
        if (const int copied = copyTree(from + "/" + entry.name, to + "/" + entry.name, files);
            copied < 0)
            return copied;
    }
    return 0;
}

} // namespace platform
