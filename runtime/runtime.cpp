#include "runtime/runtime.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace runtime {
namespace {

constexpr unsigned systemModal = 0x1000;
constexpr unsigned taskModal = 0x2000;

// The platform's process end never returns; should an implementation break that promise,
// stopping here is safer than running on with a program that has ended.
[[noreturn]] void endProcess(platform::Process& process, int exitCode)
{
    process.end(exitCode);
    std::abort();
}

} // namespace

Runtime::Runtime(platform::Platform& platform)
    : platform_(platform)
    , endedChanged_(platform.clock().makeCondVar())
{
}

Text runtimeErrorText(std::optional<int> code, const Text& message)
{
    Text text = "运行时出错!\r\n\r\n";
    if (code) {
        text += concatText("错误代码：", std::to_string(*code), "\r\n\r\n");
    }
    if (!message.empty()) {
        text += concatText("错误信息：", message, "\r\n");
    }
    return text;
}

void Runtime::raiseError(std::optional<int> code, const Text& message)
{
    ++errorCount_;
    Text text = runtimeErrorText(code, message);
    if (!platform_.loop.onLoopThread()) {
        endFromOtherThread(
            [this, text] {
                messageBox(text, 0);
                endProgram(-1);
            },
            -1);
    }
    messageBox(text, 0);
    endProgram(-1);
}

void Runtime::raiseAllocationFailure(std::size_t bytes)
{
    raiseError(std::nullopt, concatText("分配 ", std::to_string(bytes), " 字节内存失败!"));
}

void Runtime::addEndStep(std::function<void()> step)
{
    std::lock_guard lock(endMutex_);
    endSteps_.push_back(std::move(step));
}

void Runtime::setCleanup(std::function<void()> cleanup)
{
    std::lock_guard lock(endMutex_);
    cleanup_ = std::move(cleanup);
}

void Runtime::endProgram(int exitCode)
{
    if (!platform_.loop.onLoopThread()) {
        endFromOtherThread([this, exitCode] { endProgram(exitCode); }, exitCode);
    }
    runEndSteps();
    endProcess(platform_.process, exitCode);
}

void Runtime::runEndSteps()
{
    std::vector<std::function<void()>> steps;
    std::function<void()> cleanup;
    {
        std::lock_guard lock(endMutex_);
        if (ending_) {
            return; // a step or the clean-up itself ended the program: end without repeating
        }
        ending_ = true;
        steps.swap(endSteps_);
        cleanup.swap(cleanup_);
    }
    for (auto& step : steps) {
        step();
    }
    if (cleanup) {
        cleanup();
    }
    std::lock_guard lock(endMutex_);
    ended_ = true;
    endedChanged_->notifyAll();
}

void Runtime::endFromOtherThread(std::function<void()> end, int exitCode)
{
    platform_.loop.post(std::move(end));
    {
        std::unique_lock lock(endMutex_);
        endedChanged_->wait(lock, [this] { return ended_; });
    }
    // A real process is gone before this point; where the process end only unwinds, it ends
    // this thread too.
    endProcess(platform_.process, exitCode);
}

int Runtime::messageBox(const Text& message, unsigned flags, const std::optional<Text>& caption)
{
    if (!(flags & systemModal)) {
        flags |= taskModal;
    }
    platform::Button button
        = platform_.dialogs.messageBox(message, caption ? *caption : Text("信息："), flags);
    return static_cast<int>(button);
}

void Runtime::delay(std::int64_t milliseconds)
{
    platform_.clock().sleep(std::max<std::int64_t>(milliseconds, 0));
}

void Runtime::processMessages()
{
    platform_.loop.processPending();
}

} // namespace runtime
