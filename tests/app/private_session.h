#pragma once
// The main window's start-up takes the single-instance lock in $XDG_RUNTIME_DIR and the
// shutdown writes its autostart entry under $XDG_CONFIG_HOME: tests running side by side keep
// both in their own scratch directory, or one would refuse to start as a second instance.

#include <cstdlib>
#include <filesystem>

namespace app::test {

inline void usePrivateSession(const std::filesystem::path& directory)
{
    setenv("XDG_RUNTIME_DIR", directory.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (directory / "config").c_str(), 1);
}

} // namespace app::test
