#pragma once
// One of the program's own shared modules (a backend whose libraries the program should not
// load before it needs them), loaded on the first call for its entry function and kept loaded
// from then on. Any thread. Not a plugin system: the caller names the one file and the one
// entry function it wants, and nothing is searched for.

#include <mutex>
#include <string>
#include <string_view>
#include <variant>

namespace platform {

class SharedModule {
public:
    // path: absolute; a bare name would send the loader searching the library path.
    SharedModule(std::string path, std::string entryName);
    ~SharedModule();
    SharedModule(const SharedModule&) = delete;
    SharedModule& operator=(const SharedModule&) = delete;

    // The entry function's address, or why the module or the function could not be had (the
    // loader's own words). The first call loads the module; its result stands for every later
    // call, so a broken installation costs one attempt.
    [[nodiscard]] std::variant<void*, std::string> entry();

    // entry(), as the function type the module declares for it.
    template <typename Function> [[nodiscard]] std::variant<Function*, std::string> entryAs()
    {
        auto found = entry();
        if (auto* problem = std::get_if<std::string>(&found))
            return std::move(*problem);
        return reinterpret_cast<Function*>(std::get<void*>(found));
    }

    const std::string& path() const { return path_; }

private:
    const std::string path_;
    const std::string entryName_;
    // mutex_ guards everything below.
    std::mutex mutex_;
    bool tried_ = false;
    void* handle_ = nullptr;
    void* entry_ = nullptr;
    std::string problem_;
};

// Where the program's modules are: <executable's folder>/../<library folder>/dancehall/, with
// the library folder the build chose: build/lib/dancehall beside build/dist in a build,
// /usr/lib/<triplet>/dancehall in an installation; never among the shipped defaults that
// seed a hall folder. The bare file name, which no module loads from, when the executable's
// folder cannot be found.
[[nodiscard]] std::string programModulePath(std::string_view fileName);

} // namespace platform
