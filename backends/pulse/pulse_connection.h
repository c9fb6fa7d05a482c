#pragma once
// A connection to the PulseAudio server on its own event thread. Everything that touches
// the context or its streams holds the loop lock (Lock below); callbacks run with it held
// and wake waiters through signal(). Never hold a lock of ours that a callback needs.

#include <pulse/pulseaudio.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace platform::pulse {

class PulseConnection {
public:
    // Nothing when no server answers.
    static std::unique_ptr<PulseConnection> connect(const char* clientName);
    // A connection made whenever a server answers, now or later, and made again after the
    // server went away, once keep() is called. Nothing only when no loop can be made.
    static std::unique_ptr<PulseConnection> keepConnected(const char* clientName);
    // Starts a kept connection. `changed` runs on the loop thread with the lock held each
    // time the context becomes ready (true) or is lost (false). A server that answers now is
    // connected on return. False when the loop cannot run.
    bool keep(std::function<void(bool ready)> changed);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    pa_context* context() const { return context_; }
    // The loop's timers; with the lock held.
    pa_mainloop_api* api() const { return pa_threaded_mainloop_get_api(loop_); }

    class Lock {
    public:
        explicit Lock(const PulseConnection& c)
            : connection_(c)
        {
            pa_threaded_mainloop_lock(c.loop_);
            connection_.noteLocked();
        }
        ~Lock()
        {
            connection_.noteUnlocking();
            pa_threaded_mainloop_unlock(connection_.loop_);
        }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        const PulseConnection& connection_;
    };

    // With the lock held: waits for the next signal().
    void wait() const;
    // Stops a build with assertions when the calling thread neither holds the lock nor is
    // the loop thread (whose callbacks run with it held).
    void assertLocked() const;
    // From a callback: wakes the waiters.
    void signal() const { pa_threaded_mainloop_signal(loop_, 0); }
    // With the lock held: waits until the operation is done, then releases it; false when
    // there was no operation (the request failed at once).
    bool waitFor(pa_operation* operation) const;
    // With the lock held: the context is connected to a server.
    bool readyLocked() const
    {
        assertLocked();
        return pa_context_get_state(context_) == PA_CONTEXT_READY;
    }
    // Success callbacks that only wake the waiters (userdata: the connection).
    static void signalSuccess(pa_stream*, int, void* self);
    static void signalContextSuccess(pa_context*, int, void* self);

private:
    PulseConnection(pa_threaded_mainloop* loop, pa_context* context);
    // Loop thread: a new context for a kept connection, connected or about to retry.
    void reconnectLocked();
    void onStateLocked();
    // Lock's bookkeeping of who holds the loop lock.
    void noteLocked() const;
    void noteUnlocking() const;

    pa_threaded_mainloop* loop_;
    pa_context* context_;
    std::string clientName_;
    // The thread that holds the loop lock through Lock, and how often (the lock is
    // recursive); the depth is touched only by that thread under the lock.
    mutable std::atomic<std::thread::id> holder_ {};
    mutable int holdDepth_ = 0;
    // For a kept connection only; guarded by the loop lock.
    std::function<void(bool)> changed_;
    pa_time_event* retry_ = nullptr;
};

} // namespace platform::pulse
