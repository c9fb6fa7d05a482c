#include "backends/headless/headless_process.h"

namespace platform::headless {

HeadlessProcess::HeadlessProcess(EventLoop& loop)
    : loop_(loop)
{
}

void HeadlessProcess::end(int exitCode)
{
    {
        std::lock_guard lock(mutex_);
        if (!exitCode_)
            exitCode_ = exitCode;
    }
    loop_.quit(exitCode);
    throw ProgramEnded { exitCode };
}

std::optional<int> HeadlessProcess::exitCode() const
{
    std::lock_guard lock(mutex_);
    return exitCode_;
}

} // namespace platform::headless
