#pragma once
// A first-in first-out queue between threads whose waits go through the clock, so a
// waiting thread counts as idle for the headless clock and can be cancelled. The queue
// length plays the counting semaphore; `capacity` bounds it for back pressure.

#include "platform/clock.h"
#include "platform/owned_mutex.h"

#include <deque>
#include <limits>
#include <mutex>
#include <optional>

namespace media {

template <typename T> class MessageQueue {
public:
    explicit MessageQueue(
        platform::Clock& clock, std::size_t capacity = std::numeric_limits<std::size_t>::max())
        : capacity_(capacity)
        , changed_(clock.makeCondVar())
    {
    }

    // Waits for room; false when the queue is closed.
    [[nodiscard]] bool push(T item)
    {
        std::unique_lock lock(mutex_);
        changed_->wait(lock, [&] { return closed_ || items_.size() < capacity_; });
        if (closed_)
            return false;
        items_.push_back(std::move(item));
        changed_->notifyAll();
        return true;
    }

    // Waits for an item; nothing once the queue is closed.
    [[nodiscard]] std::optional<T> pop()
    {
        std::unique_lock lock(mutex_);
        changed_->wait(lock, [&] { return closed_ || !items_.empty(); });
        if (closed_)
            return std::nullopt;
        T item = std::move(items_.front());
        items_.pop_front();
        changed_->notifyAll();
        return item;
    }

    // The first item if there is one now; never waits.
    std::optional<T> tryPop()
    {
        std::lock_guard lock(mutex_);
        if (closed_ || items_.empty())
            return std::nullopt;
        T item = std::move(items_.front());
        items_.pop_front();
        changed_->notifyAll();
        return item;
    }

    void close()
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        changed_->notifyAll();
    }

private:
    const std::size_t capacity_;
    platform::OwnedMutex mutex_; // guards items_ and closed_
    std::unique_ptr<platform::CondVar> changed_;
    std::deque<T> items_;
    bool closed_ = false;
};

} // namespace media
