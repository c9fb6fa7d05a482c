#pragma once
// The rule that one copy of the program runs on a hall folder at a time: an exclusive lock
// on a file inside the hall folder, held from start-up until the process ends. Being inside
// the folder, the lock is the same whatever path or environment leads there, and two halls
// run side by side. The kernel drops the lock when the process dies, so a crashed copy never
// blocks the next start.
//
// Not a lock on the data files themselves: the record database locks its own byte ranges.

#include "platform/file_system.h"

#include <string>

namespace app {

class SingleInstance {
public:
    enum class Outcome {
        taken, // this object holds the lock from now on
        held, // another process holds it
        // The hall folder may not be written (a read-only mount, no write permission), so no
        // copy of the program can change it and none needs the lock; nothing is held, and
        // failure() says why.
        readOnly,
        failed, // it could not be taken for another reason; failure() says which
    };

    explicit SingleInstance(platform::FileSystem& files = platform::systemFileSystem());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock of the hall folder at hallFolder (a native path). Taking it again while
    // held gives taken. A lock that cannot be had in a folder that can be written counts as
    // failed, never as taken: two copies on one folder lose slots, so the program rather
    // refuses to start.
    [[nodiscard]] Outcome take(const std::string& hallFolder);
    // Why the last take failed, for the operator (GBK text).
    [[nodiscard]] const std::string& failure() const { return failure_; }

private:
    platform::FileSystem& files_;
    int descriptor_ = -1;
    std::string failure_;
};

// The lock file's name inside the hall folder.
inline constexpr char instanceLockName[] = ".dancehall.lock";

} // namespace app
