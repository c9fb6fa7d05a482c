#include "backends/pulse/pulse_connection.h"

#include <cstdio>
#include <cstdlib>

namespace platform::pulse {

std::unique_ptr<PulseConnection> PulseConnection::connect(const char* clientName)
{
    pa_threaded_mainloop* loop = pa_threaded_mainloop_new();
    if (!loop)
        return nullptr;
    pa_context* context = pa_context_new(pa_threaded_mainloop_get_api(loop), clientName);
    if (!context) {
        pa_threaded_mainloop_free(loop);
        return nullptr;
    }
    std::unique_ptr<PulseConnection> connection(new PulseConnection(loop, context));
    pa_context_set_state_callback(
        context, [](pa_context*, void* self) { static_cast<PulseConnection*>(self)->signal(); },
        connection.get());
    if (pa_threaded_mainloop_start(loop) < 0)
        return nullptr;
    Lock lock(*connection);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return nullptr;
    for (;;) {
        pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY)
            return connection;
        if (!PA_CONTEXT_IS_GOOD(state))
            return nullptr;
        connection->wait();
    }
}

namespace {

constexpr pa_usec_t retryInterval = 1'000'000;

} // namespace

std::unique_ptr<PulseConnection> PulseConnection::keepConnected(const char* clientName)
{
    pa_threaded_mainloop* loop = pa_threaded_mainloop_new();
    if (!loop)
        return nullptr;
    std::unique_ptr<PulseConnection> connection(new PulseConnection(loop, nullptr));
    connection->clientName_ = clientName;
    return connection;
}

bool PulseConnection::keep(std::function<void(bool ready)> changed)
{
    Lock lock(*this);
    changed_ = std::move(changed);
    reconnectLocked();
    if (!context_ || pa_threaded_mainloop_start(loop_) < 0)
        return false;
    for (;;) {
        pa_context_state_t state = pa_context_get_state(context_);
        if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state))
            return true;
        wait();
    }
}

void PulseConnection::reconnectLocked()
{
    assertLocked();
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), clientName_.c_str());
    if (!context_)
        return;
    pa_context_set_state_callback(
        context_,
        [](pa_context*, void* self) { static_cast<PulseConnection*>(self)->onStateLocked(); },
        this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        onStateLocked();
}

void PulseConnection::onStateLocked()
{
    assertLocked();
    pa_context_state_t state = pa_context_get_state(context_);
    signal();
    if (state == PA_CONTEXT_READY) {
        changed_(true);
    } else if (!PA_CONTEXT_IS_GOOD(state) && !retry_) {
        changed_(false);
        // The old context is released from the timer, never inside its own callback.
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
        timeval at;
        pa_timeval_add(pa_gettimeofday(&at), retryInterval);
        retry_ = api->time_new(
            api, &at,
            [](pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self) {
                auto* c = static_cast<PulseConnection*>(self);
                api->time_free(event);
                c->retry_ = nullptr;
                c->reconnectLocked();
            },
            this);
    }
}

PulseConnection::PulseConnection(pa_threaded_mainloop* loop, pa_context* context)
    : loop_(loop)
    , context_(context)
{
}

PulseConnection::~PulseConnection()
{
    {
        Lock lock(*this);
        if (retry_)
            pa_threaded_mainloop_get_api(loop_)->time_free(retry_);
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_set_subscribe_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
        }
    }
    pa_threaded_mainloop_stop(loop_);
    if (context_)
        pa_context_unref(context_);
    pa_threaded_mainloop_free(loop_);
}

void PulseConnection::noteLocked() const
{
    if (holder_.load(std::memory_order_relaxed) == std::this_thread::get_id()) {
        ++holdDepth_;
        return;
    }
    holder_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    holdDepth_ = 1;
}

void PulseConnection::noteUnlocking() const
{
    if (--holdDepth_ == 0)
        holder_.store(std::thread::id(), std::memory_order_relaxed);
}

void PulseConnection::wait() const
{
    // The wait gives the lock to the loop thread and other waiters; the holder comes back
    // with it.
    const int depth = holdDepth_;
    holder_.store(std::thread::id(), std::memory_order_relaxed);
    pa_threaded_mainloop_wait(loop_);
    holder_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    holdDepth_ = depth;
}

void PulseConnection::assertLocked() const
{
#ifndef NDEBUG
    if (pa_threaded_mainloop_in_thread(loop_)
        || holder_.load(std::memory_order_relaxed) == std::this_thread::get_id())
        return;
    std::fputs(
        "a function that needs the sound server's loop lock was called without it\n", stderr);
    std::abort();
#endif
}

bool PulseConnection::waitFor(pa_operation* operation) const
{
    if (!operation)
        return false;
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING)
        wait();
    pa_operation_unref(operation);
    return true;
}

void PulseConnection::signalSuccess(pa_stream*, int, void* self)
{
    static_cast<PulseConnection*>(self)->signal();
}

void PulseConnection::signalContextSuccess(pa_context*, int, void* self)
{
    static_cast<PulseConnection*>(self)->signal();
}

} // namespace platform::pulse
