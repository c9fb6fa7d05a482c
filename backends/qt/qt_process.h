#pragma once
// The end of the real program.

#include "platform/process.h"

namespace platform::qt {

class QtProcess final : public Process {
public:
    // Flushes the standard streams and leaves at once. The runtime has already run the end
    // steps and the clean-up; running static destructors now would race with detached
    // worker threads (light program, track player) that may still be inside them.
    [[noreturn]] void end(int exitCode) override;
};

} // namespace platform::qt
