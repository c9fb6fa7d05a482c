#pragma once
// The thread and critical-section commands. Threads run through the platform clock, so their
// waits count for virtual time and a stop request wakes them. Ending a thread is cooperative:
// its current or next wait, or its next property write, ends it. Critical sections are
// registered; a handle that is not registered (never created, or deleted) is ignored.
// Safe from any thread. Not a general thread pool: it knows nothing of the program's workers.

#include "platform/clock.h"
#include "platform/owned_mutex.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace ui {

class Threads {
public:
    explicit Threads(platform::Clock& clock)
        : clock_(clock)
    {
    }
    // Asks every thread with a handle to end and waits for it: their routines use what the
    // owner of this object is about to destroy.
    ~Threads();
    Threads(const Threads&) = delete;
    Threads& operator=(const Threads&) = delete;

    // Starts routine(parameter, or 0). With handle, stores the thread's handle there; without
    // it the thread can never be ended. False when the thread could not be started. Threads
    // with a handle that have finished are joined and released here: a program that starts
    // one per track would otherwise keep every finished thread's stack for ever.
    bool startThread(std::function<void(std::int32_t)> routine,
        std::optional<std::int32_t> parameter = {}, std::int32_t* handle = nullptr);
    // Asks the thread to end. False for a handle that was never given out or whose thread
    // has finished and was released.
    bool endThread(std::int32_t handle);
    // Threads with a handle not yet released (running, or finished since the last start).
    [[nodiscard]] std::size_t keptThreadCount();

    [[nodiscard]] std::int32_t createSection();
    // False when the handle is not registered (a second delete).
    bool deleteSection(std::int32_t handle);
    void enterSection(std::int32_t handle);
    void leaveSection(std::int32_t handle);

private:
    struct Section;

    // Moves the finished threads out of threads_, to be joined once mutex_ is released.
    void releaseFinishedLocked(std::vector<std::unique_ptr<platform::Thread>>& finished);

    platform::Clock& clock_;
    // mutex_ guards the three maps and the counter; never held while waiting for a section.
    platform::OwnedMutex mutex_;
    std::int32_t nextHandle_ = 1;
    std::map<std::int32_t, std::unique_ptr<platform::Thread>> threads_;
    std::map<std::int32_t, std::shared_ptr<Section>> sections_;
    // Sections entered and not yet left, per thread, with the depth of re-entry (a thread may
    // enter its own section again). The owner's leave unlocks even after the section was
    // deleted, so that a thread waiting to enter is never stranded.
    struct Held {
        std::shared_ptr<Section> section;
        int depth = 0;
    };
    std::map<std::pair<std::thread::id, std::int32_t>, Held> held_;
};

} // namespace ui
