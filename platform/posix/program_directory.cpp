#include "platform/program_directory.h"

#include <unistd.h>
#include <vector>

namespace platform {

std::optional<std::string> executableDirectory()
{
    std::vector<char> buffer(4096);
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) {
        return std::nullopt;
    }
    std::string path(buffer.data(), static_cast<std::size_t>(length));
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return std::nullopt;
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::optional<std::string> currentDirectory()
{
    std::vector<char> buffer(4096);
    if (!getcwd(buffer.data(), buffer.size()))
        return std::nullopt;
    return std::string(buffer.data());
}

} // namespace platform
