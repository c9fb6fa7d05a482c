#pragma once
// The interface thread's message loop on Qt: posts are queued invocations, timers are
// QTimers, nested loops are QEventLoops. Create it on the thread that owns the QApplication;
// it is not a replacement for the application object, only the program's view of its loop.

#include "platform/event_loop.h"
#include "platform/system_clock.h"

#include <QObject>

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QEventLoop;
class QTimer;

namespace platform::qt {

class QtEventLoop final : public EventLoop {
public:
    QtEventLoop();
    ~QtEventLoop() override;
    QtEventLoop(const QtEventLoop&) = delete;
    QtEventLoop& operator=(const QtEventLoop&) = delete;

    // Safe from any thread; once quit, posted work is dropped.
    void post(std::function<void()> fn) override;
    TimerId startTimer(Millis interval, std::function<void()> tick) override;
    void setTimerInterval(TimerId id, Millis interval) override;
    void stopTimer(TimerId id) override;

    void processPending() override;
    // done() is checked whenever the loop has dispatched what was pending and would wait.
    bool runUntil(const std::function<bool()>& done) override;
    int run() override;
    // Safe from any thread. The first exit code wins; every running loop returns.
    void quit(int exitCode) override;

    bool onLoopThread() const override;
    SystemClock& clock() override { return clock_; }

    std::optional<int> exitCode() const;

private:
    // Runs a nested QEventLoop until done() or quit.
    void runNested(const std::function<bool()>& done);
    void exitRunningLoops();

    SystemClock clock_;
    // The loop thread's receiver of queued calls; living on that thread makes them run there.
    QObject receiver_;
    std::map<TimerId, QTimer*> timers_;
    TimerId nextTimerId_ = 1;
    std::vector<QEventLoop*> running_; // innermost last
    static constexpr int notQuit = -0x7fffffff;
    std::atomic<int> exitCode_ { notQuit };
};

} // namespace platform::qt
