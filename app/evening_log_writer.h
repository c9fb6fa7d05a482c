#pragma once
// Appends the evening's records on a thread of its own, so a disk that takes its time to sync
// never holds up the interface. Each record is a whole snapshot: one overtaken by a newer one
// before its turn is dropped, and only the newest waiting is written.

#include "app/evening_log.h"

#include "platform/clock.h"

#include <memory>
#include <optional>

namespace app {

class EveningLogWriter {
public:
    EveningLogWriter(platform::Clock& clock, std::unique_ptr<EveningLog> log);
    // Writes what is still waiting, then ends the thread.
    ~EveningLogWriter();
    EveningLogWriter(const EveningLogWriter&) = delete;
    EveningLogWriter& operator=(const EveningLogWriter&) = delete;

    // Interface thread: hands the record over and returns at once.
    void write(EveningRecord record);
    // Interface thread: returns once everything handed over is written (or failed), for the
    // last record before the program ends.
    void flush();

private:
    void run();

    std::unique_ptr<EveningLog> log_; // the writing thread's alone while it runs
    platform::OwnedMutex mutex_; // guards the three below
    std::unique_ptr<platform::CondVar> changed_;
    std::optional<EveningRecord> waiting_;
    bool writing_ = false;
    bool closing_ = false;
    std::unique_ptr<platform::Thread> thread_;
};

} // namespace app
