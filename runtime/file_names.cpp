#include "runtime/file_names.h"

#include "platform/encoding.h"
#include "platform/path.h"

#include <algorithm>

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

// The folder's entries; none when it cannot be read, as if it held nothing of use.
std::vector<platform::FolderEntry> entriesOf(
    const std::string& nativeFolder, platform::FileSystem& files)
{
    std::vector<platform::FolderEntry> entries;
    (void)files.listFolder(nativeFolder.empty() ? "." : nativeFolder, entries);
    return entries;
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

std::string resolvedPath(std::string_view gbkPath, platform::FileSystem& files)
{
    SplitPath path = split(gbkPath);
    std::string direct = path.folder + platform::nativePath(path.name);
    platform::FileStatus status;
    if (path.name.empty() || files.linkStatus(direct, status) == 0)
        return direct;
    for (const platform::FolderEntry& entry : entriesOf(path.folder, files))
        if (sameFileName(entryName(entry.name), path.name))
            return path.folder + entry.name;
    return direct;
}

std::vector<FolderFile> filesEndingIn(
    std::string_view gbkFolder, std::string_view suffix, platform::FileSystem& files)
{
    std::string folder = platform::nativePath(gbkFolder);
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    const Text wanted = folded(suffix);
    std::vector<FolderFile> found;
    for (platform::FolderEntry& entry : entriesOf(folder, files)) {
        Text name = entryName(entry.name);
        if (entry.regular && name.size() >= wanted.size()
            && folded(std::string_view(name).substr(name.size() - wanted.size())) == wanted)
            found.push_back({ std::move(name), std::move(entry.name) });
    }
    std::sort(found.begin(), found.end(), [](const FolderFile& a, const FolderFile& b) {
        return std::pair(folded(a.name), a.name) < std::pair(folded(b.name), b.name);
    });
    return found;
}

} // namespace runtime
