#include "app/single_instance.h"

#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace app {

SingleInstance::~SingleInstance()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

bool SingleInstance::anotherHolds(std::string_view name)
{
    if (descriptor_ >= 0)
        return false;
    std::string path = instanceLockPath(name);
    // No following links: in a shared directory someone else could point the name anywhere.
    int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0)
        return false;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return true;
    }
    descriptor_ = descriptor;
    return false;
}

std::string instanceLockPath(std::string_view name)
{
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir && *runtimeDir)
        return (std::filesystem::path(runtimeDir) / (std::string(name) + ".lock")).string();
    std::error_code error;
    std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    if (error)
        temp = "/tmp";
    return (temp / (std::string(name) + "-" + std::to_string(::getuid()) + ".lock")).string();
}

} // namespace app
