#include "app/evening_log_writer.h"

#include <utility>

namespace app {

EveningLogWriter::EveningLogWriter(platform::Clock& clock, std::unique_ptr<EveningLog> log)
    : log_(std::move(log))
    , changed_(clock.makeCondVar())
{
    thread_ = clock.startThread([this] { run(); });
}

EveningLogWriter::~EveningLogWriter()
{
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        changed_->notifyAll();
    }
    thread_->join();
}

void EveningLogWriter::write(EveningRecord record)
{
    std::lock_guard lock(mutex_);
    waiting_ = std::move(record);
    changed_->notifyAll();
}

void EveningLogWriter::flush()
{
    std::unique_lock lock(mutex_);
    (void)changed_->wait(lock, [this] { return !waiting_ && !writing_; });
}

void EveningLogWriter::run()
{
    for (;;) {
        EveningRecord record;
        {
            std::unique_lock lock(mutex_);
            (void)changed_->wait(lock, [this] { return waiting_ || closing_; });
            if (!waiting_)
                return;
            record = std::move(*std::exchange(waiting_, std::nullopt));
            writing_ = true;
        }
        // Nothing to tell the operator mid-evening: the music does not depend on the log.
        (void)log_->append(record);
        std::lock_guard lock(mutex_);
        writing_ = false;
        changed_->notifyAll();
    }
}

} // namespace app
