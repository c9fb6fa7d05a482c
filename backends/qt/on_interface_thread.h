#pragma once
// Runs a function on the thread that owns the application object and waits for its result.
// For the few services (dialogs) that other threads may call; widgets live on that thread only.

#include <QCoreApplication>
#include <QThread>

#include <optional>
#include <type_traits>

namespace platform::qt {

template <typename Fn> auto onInterfaceThread(Fn fn) -> std::invoke_result_t<Fn>
{
    QCoreApplication* app = QCoreApplication::instance();
    if (QThread::currentThread() == app->thread())
        return fn();
    std::optional<std::invoke_result_t<Fn>> result;
    QMetaObject::invokeMethod(
        app, [&] { result = fn(); }, Qt::BlockingQueuedConnection);
    return std::move(*result);
}

} // namespace platform::qt
