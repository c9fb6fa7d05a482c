#pragma once
// The rule that one copy of the program runs at a time: an exclusive lock on a file named
// after the program's mutex, held from start-up until the process ends. The kernel drops
// the lock when the process dies, so a crashed copy never blocks the next start.

#include <string>
#include <string_view>

namespace app {

class SingleInstance {
public:
    SingleInstance() = default;
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when another process holds the lock of that name. Otherwise this object holds it
    // from now on. A lock file that cannot be opened counts as no other instance: the
    // program rather starts twice than never.
    bool anotherHolds(std::string_view name);

private:
    int descriptor_ = -1;
};

// $XDG_RUNTIME_DIR/<name>.lock, else <temp dir>/<name>-<uid>.lock: in the shared temp dir
// the user id keeps one user's lock from stopping another user's program.
std::string instanceLockPath(std::string_view name);

} // namespace app
