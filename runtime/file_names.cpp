#include "runtime/file_names.h"

#include "platform/posix/encoding.h"
#include "platform/posix/path.h"

#include <algorithm>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace runtime {
namespace {

bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = byte < 0x80  ? 1
            : byte >= 0xC2 && byte < 0xE0 ? 2
            : byte >= 0xE0 && byte < 0xF0 ? 3
            : byte >= 0xF0 && byte < 0xF5 ? 4
                                          : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

// The name with single-byte ASCII letters in lower case; double-byte characters untouched.
Text folded(std::string_view name)
{
    Text result(name);
    for (std::size_t i = 0; i < result.size(); ++i) {
        auto byte = static_cast<unsigned char>(result[i]);
        if (byte >= 0x81 && i + 1 < result.size())
            ++i;
        else if (byte >= 'A' && byte <= 'Z')
            result[i] = static_cast<char>(byte + 32);
    }
    return result;
}

struct SplitPath {
    std::string folder; // native, "" for the current directory
    Text name; // GBK
};

SplitPath split(std::string_view gbkPath)
{
    std::size_t slash = gbkPath.rfind('/');
    if (slash == std::string_view::npos)
        return { "", Text(gbkPath) };
    return { platform::nativePath(gbkPath.substr(0, slash + 1)), Text(gbkPath.substr(slash + 1)) };
}

template <typename Visit> void forEachEntry(const std::string& nativeFolder, Visit visit)
{
    std::unique_ptr<DIR, int (*)(DIR*)> folder(
        ::opendir(nativeFolder.empty() ? "." : nativeFolder.c_str()), ::closedir);
    if (!folder)
        return;
    while (const dirent* entry = ::readdir(folder.get()))
        if (!visit(std::string(entry->d_name)))
            return;
}

} // namespace

Text entryName(std::string_view nativeName)
{
    return isValidUtf8(nativeName) ? platform::programPath(nativeName) : Text(nativeName);
}

bool sameFileName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && folded(a) == folded(b);
}

std::string resolvedPath(std::string_view gbkPath)
{
    SplitPath path = split(gbkPath);
    std::string direct = path.folder + platform::nativePath(path.name);
    struct stat status { };
    if (path.name.empty() || ::lstat(direct.c_str(), &status) == 0)
        return direct;
    std::string found;
    forEachEntry(path.folder, [&](const std::string& native) {
        if (!sameFileName(entryName(native), path.name))
            return true;
        found = path.folder + native;
        return false;
    });
    return found.empty() ? direct : found;
}

std::vector<FolderFile> filesEndingIn(std::string_view gbkFolder, std::string_view suffix)
{
    std::vector<FolderFile> files;
    std::string folder = platform::nativePath(gbkFolder);
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    const Text wanted = folded(suffix);
    forEachEntry(folder, [&](const std::string& native) {
        Text name = entryName(native);
        struct stat status { };
        if (name.size() >= wanted.size()
            && folded(std::string_view(name).substr(name.size() - wanted.size())) == wanted
            && ::stat((folder + native).c_str(), &status) == 0 && S_ISREG(status.st_mode))
            files.push_back({ std::move(name), native });
        return true;
    });
    std::sort(files.begin(), files.end(), [](const FolderFile& a, const FolderFile& b) {
        return std::pair(folded(a.name), a.name) < std::pair(folded(b.name), b.name);
    });
    return files;
}

} // namespace runtime
