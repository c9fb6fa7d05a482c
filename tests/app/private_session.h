#pragma once
// The main window's start-up takes the single-instance lock inside its hall folder (the
// program directory a test sets) and the shutdown writes its autostart entry under
// $XDG_CONFIG_HOME: tests running side by side keep both in their own scratch directory, or
// one would refuse to start as a second instance.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace app::test {

// A new, empty directory under the temp folder: never one left behind by an earlier run.
inline std::filesystem::path makeScratchDirectory(const std::string& name)
{
    std::string pattern = (std::filesystem::temp_directory_path() / (name + "_XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a scratch directory for " + name);
    return pattern;
}

inline void usePrivateSession(const std::filesystem::path& directory)
{
    setenv("XDG_RUNTIME_DIR", directory.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (directory / "config").c_str(), 1);
}

// A scratch program directory with the installation tables and the private session above,
// removed again at the end of the test.
struct ScratchProgramDirectory {
    explicit ScratchProgramDirectory(const std::string& name)
        : path(makeScratchDirectory(name))
    {
        std::filesystem::create_directories(path / "lb");
        for (const char* table : { "dqqf.dat", "dqqfls.dat", "qfsz.dat" })
            std::filesystem::copy_file(std::filesystem::path(DANCEHALL_DIST) / table, path / table);
        usePrivateSession(path);
    }
    ~ScratchProgramDirectory() { std::filesystem::remove_all(path); }

    const std::filesystem::path path;
};

} // namespace app::test
