#pragma once
// The runtime's own state: the platform it runs on, the runtime error report, the
// clean-up routine and the end of the program. One Runtime exists per program (or test);
// it is passed to whatever needs it, never reached through a global.

#include "platform/owned_mutex.h"
#include "platform/platform.h"
#include "runtime/text.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace runtime {

class Runtime {
public:
    explicit Runtime(platform::Platform& platform);

    platform::Platform& platform() const { return platform_; }

    // Shows "运行时出错!" with the optional code and message, then ends the program with -1.
    // While the report is up, isReportingError() is true and no events are dispatched.
    [[noreturn]] void raiseError(std::optional<int> code, const Text& message);
    // The runtime error for memory that could not be had: "分配 n 字节内存失败!".
    [[noreturn]] void raiseAllocationFailure(std::size_t bytes);
    [[nodiscard]] bool isReportingError() const { return errorCount_ > 0; }

    // Steps run by endProgram before the clean-up routine (the window system destroys its
    // windows here), in the order they were added.
    void addEndStep(std::function<void()> step);
    // The application's clean-up routine, run once when the program ends.
    void setCleanup(std::function<void()> cleanup);
    // Ends the program: end steps, clean-up, then the platform's process end. From another
    // thread the end is handed to the interface thread and the caller waits for it there.
    [[noreturn]] void endProgram(int exitCode);

    // The message box service: caption defaults to "信息："; task-modal unless system-modal.
    int messageBox(const Text& message, unsigned flags, const std::optional<Text>& caption = {});
    // Sleeps the calling thread through the platform clock; negative counts as 0.
    void delay(std::int64_t milliseconds);
    // Dispatches pending messages of the interface thread, then returns.
    void processMessages();

private:
    // Runs the end on the interface thread and keeps the calling thread until it is done.
    [[noreturn]] void endFromOtherThread(std::function<void()> end, int exitCode);
    void runEndSteps();

    platform::Platform& platform_;
    std::atomic<int> errorCount_ { 0 };
    platform::OwnedMutex endMutex_;
    std::vector<std::function<void()>> endSteps_;
    std::function<void()> cleanup_;
    // Guarded by endMutex_: set once the end steps ran, for threads waiting in endProgram.
    bool ending_ = false;
    bool ended_ = false;
    std::unique_ptr<platform::CondVar> endedChanged_;
};

// The report text: "运行时出错!", blank line, then "错误代码：" code and a blank line when
// there is a code, then "错误信息：" message and a line break when there is a message.
[[nodiscard]] Text runtimeErrorText(std::optional<int> code, const Text& message);

} // namespace runtime
