#pragma once
// The end of the program in a test: the exit code is recorded, the event loop stops, and
// ProgramEnded unwinds the caller instead of the process dying.

#include "platform/event_loop.h"
#include "platform/process.h"

#include <mutex>
#include <optional>

namespace platform::headless {

class HeadlessProcess final : public Process {
public:
    explicit HeadlessProcess(EventLoop& loop);

    // Safe from any thread: a worker ending the program stops the loop too.
    [[noreturn]] void end(int exitCode) override;

    // The code of the first end(), if the program has ended.
    std::optional<int> exitCode() const;

private:
    EventLoop& loop_;
    mutable std::mutex mutex_;
    std::optional<int> exitCode_;
};

} // namespace platform::headless
