#include "backends/qt/qt_event_loop.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace platform::qt {

namespace {

int qtInterval(Millis interval)
{
    return static_cast<int>(std::clamp<Millis>(interval, 1, std::numeric_limits<int>::max()));
}

} // namespace

QtEventLoop::QtEventLoop() = default;

QtEventLoop::~QtEventLoop()
{
    for (auto& [id, timer] : timers_)
        delete timer;
}

void QtEventLoop::post(std::function<void()> fn)
{
    QMetaObject::invokeMethod(
        &receiver_,
        [this, fn = std::move(fn)] {
            if (!exitCode())
                fn();
        },
        Qt::QueuedConnection);
}

TimerId QtEventLoop::startTimer(Millis interval, std::function<void()> tick)
{
    auto* timer = new QTimer;
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, &receiver_, [this, tick = std::move(tick)] {
        if (!exitCode())
            tick();
    });
    timer->start(qtInterval(interval));
    const TimerId id = nextTimerId_++;
    timers_.emplace(id, timer);
    return id;
}

void QtEventLoop::setTimerInterval(TimerId id, Millis interval)
{
    if (auto it = timers_.find(id); it != timers_.end())
        it->second->start(qtInterval(interval));
}

void QtEventLoop::stopTimer(TimerId id)
{
    auto it = timers_.find(id);
    if (it == timers_.end())
        return;
    // A tick may stop its own timer; the QTimer must outlive the signal it is emitting.
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
}

void QtEventLoop::processPending()
{
    QCoreApplication::processEvents();
    // A window's event often hands its work on as a queued call (a close request must not
    // run inside the closing window's own event); run those now as well, not a whole turn
    // later: a fade waits 420 ms between turns. What they queue in turn waits for the next.
    QCoreApplication::sendPostedEvents();
}

bool QtEventLoop::runUntil(const std::function<bool()>& done)
{
    runNested(done);
    return !exitCode();
}

int QtEventLoop::run()
{
    runNested([] { return false; });
    return exitCode().value_or(0);
}

void QtEventLoop::runNested(const std::function<bool()>& done)
{
    if (exitCode() || done())
        return;
    QEventLoop loop;
    QObject::connect(
        QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
            if (done())
                loop.exit();
        });
    running_.push_back(&loop);
    loop.exec();
    running_.pop_back();
}

void QtEventLoop::quit(int exitCode)
{
    int expected = notQuit;
    exitCode_.compare_exchange_strong(expected, exitCode);
    // The loops belong to the interface thread; this queued call bypasses post(), which
    // drops work once quit.
    QMetaObject::invokeMethod(
        &receiver_, [this] { exitRunningLoops(); }, Qt::QueuedConnection);
}

void QtEventLoop::exitRunningLoops()
{
    for (QEventLoop* loop : running_)
        loop->exit();
}

bool QtEventLoop::onLoopThread() const
{
    return QThread::currentThread() == receiver_.thread();
}

std::optional<int> QtEventLoop::exitCode() const
{
    const int code = exitCode_.load();
    return code == notQuit ? std::nullopt : std::optional(code);
}

} // namespace platform::qt
