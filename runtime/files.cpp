#include "runtime/files.h"

#include "runtime/file_names.h"

#include "platform/autostart.h"
#include "platform/encoding.h"
#include "platform/file_search.h"
#include "platform/path.h"
#include "platform/program_directory.h"
#include "platform/whole_files.h"

namespace runtime {

bool copyFile(std::string_view from, std::string_view to, platform::FileSystem& files)
{
    return platform::copyFileReplacing(resolvedPath(from, files), resolvedPath(to, files), files);
}

bool deleteFile(std::string_view path, platform::FileSystem& files)
{
    return platform::deleteFile(resolvedPath(path, files), files);
}

std::optional<std::string> readFile(std::string_view path, platform::FileSystem& files)
{
    return platform::readWholeFile(resolvedPath(path, files), files);
}

bool fileExists(std::string_view pathPattern, platform::FileSystem& files)
{
    return platform::anyFileMatches(platform::nativePath(pathPattern), files);
}

std::optional<Text> findFile(std::string_view pathPattern, platform::FileSystem& files)
{
    const auto found = platform::firstFileMatch(platform::nativePath(pathPattern), files);
    if (!found)
        return std::nullopt;
    return platform::programPath(*found);
}

Text programDirectory()
{
    auto directory = platform::currentDirectory();
    return directory ? platform::programPath(*directory) : Text();
}

Text programFileDirectory()
{
    auto directory = platform::executableDirectory();
    return directory ? platform::programPath(*directory) : Text();
}

bool registerAutostart(
    std::string_view name, std::string_view target, const std::vector<Text>& arguments)
{
    if (!fileExists(target)) {
        return false;
    }
    std::vector<std::string> nativeArguments;
    for (const Text& argument : arguments)
        nativeArguments.push_back(platform::nativePath(argument));
    auto directory = platform::autostartDirectory();
    return directory
        && platform::writeAutostartEntry(
            *directory, platform::gbkToUtf8(name), platform::nativePath(target), nativeArguments);
}

} // namespace runtime
