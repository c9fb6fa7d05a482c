#include "platform/pulse/pulse_connection.h"

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

PulseConnection::PulseConnection(pa_threaded_mainloop* loop, pa_context* context)
    : loop_(loop)
    , context_(context)
{
}

PulseConnection::~PulseConnection()
{
    {
        Lock lock(*this);
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_set_subscribe_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
    }
    pa_threaded_mainloop_stop(loop_);
    pa_context_unref(context_);
    pa_threaded_mainloop_free(loop_);
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
