#include "platform/shared_module.h"

#include "platform/program_directory.h"

#include <dlfcn.h>

#include <filesystem>

namespace platform {

SharedModule::SharedModule(std::string path, std::string entryName)
    : path_(std::move(path))
    , entryName_(std::move(entryName))
{
}

SharedModule::~SharedModule()
{
    if (handle_)
        ::dlclose(handle_);
}

std::variant<void*, std::string> SharedModule::entry()
{
    std::lock_guard lock(mutex_);
    if (!tried_) {
        tried_ = true;
        // Every symbol is bound now, so a missing library fails here and not in the middle of
        // a call; local, so the module's libraries never stand in for the program's own
        // symbols. NODELETE: the libraries a module pulls in (Qt's network stack, say) may
        // leave threads or handlers behind that must not lose their code when we let go.
        if (!path_.starts_with('/')) {
            problem_ = path_ + ": no module is loaded from a path that is not absolute";
            return problem_;
        }
        ::dlerror();
        handle_ = ::dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!handle_) {
            const char* why = ::dlerror();
            problem_ = why ? why : path_ + ": cannot be loaded";
        } else {
            ::dlerror();
            entry_ = ::dlsym(handle_, entryName_.c_str());
            if (const char* why = ::dlerror(); why || !entry_)
                problem_ = why ? why : path_ + ": " + entryName_ + " is null";
        }
    }
    if (!problem_.empty())
        return problem_;
    return entry_;
}

std::string programModulePath(std::string_view fileName)
{
    const auto executable = executableDirectory();
    if (!executable)
        return std::string(fileName);
    const std::filesystem::path folder
        = std::filesystem::path(*executable).parent_path() / DANCEHALL_MODULE_DIR;
    return (folder / fileName).string();
}

} // namespace platform
