#pragma once
// A std::mutex that knows which thread holds it, so that a function that expects its caller
// to hold the lock (the …Locked helpers) can check it. Works with std::lock_guard,
// std::unique_lock and the clock's CondVar. The owner costs one relaxed atomic store on
// lock and unlock; the check is one load. Not recursive, like std::mutex.

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace platform {

class OwnedMutex {
public:
    OwnedMutex() = default;
    OwnedMutex(const OwnedMutex&) = delete;
    OwnedMutex& operator=(const OwnedMutex&) = delete;

    void lock()
    {
        mutex_.lock();
        owner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    }

    bool try_lock()
    {
        if (!mutex_.try_lock())
            return false;
        owner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
        return true;
    }

    void unlock()
    {
        owner_.store(std::thread::id(), std::memory_order_relaxed);
        mutex_.unlock();
    }

    // Relaxed is enough: only the holder writes its own id, and a thread always sees its own
    // latest store, so no other thread can read back an id that is not its own as its own.
    bool heldByThisThread() const
    {
        return owner_.load(std::memory_order_relaxed) == std::this_thread::get_id();
    }

    // Stops the program when the calling thread does not hold the lock: touching the state it
    // guards without it is a race that tests would otherwise only catch by luck. Checked in
    // builds with assertions.
    // (The builtins name the caller as std::source_location would; every compiler we build
    // with has them, not all have <source_location>.)
    void assertHeld(const char* file = __builtin_FILE(), int line = __builtin_LINE(),
        const char* function = __builtin_FUNCTION()) const
    {
#ifndef NDEBUG
        if (!heldByThisThread()) {
            std::fprintf(stderr,
                "%s:%d: %s needs its object's lock, and the caller does not hold it\n", file, line,
                function);
            std::abort();
        }
#else
        (void)file;
        (void)line;
        (void)function;
#endif
    }

private:
    std::mutex mutex_;
    std::atomic<std::thread::id> owner_ {};
};

} // namespace platform
