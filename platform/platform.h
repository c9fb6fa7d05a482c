#pragma once
// What the program needs of the operating system, bundled so it can be passed down.
// The executable picks the Qt implementation; tests pick the headless one.

#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/file_system.h"
#include "platform/process.h"

namespace platform {

struct Platform {
    EventLoop& loop;
    Dialogs& dialogs;
    Process& process;
    FileSystem& files = systemFileSystem();

    Clock& clock() const { return loop.clock(); }
};

} // namespace platform
