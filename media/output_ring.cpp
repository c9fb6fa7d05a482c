#include "media/output_ring.h"

#include <algorithm>

namespace media {

OutputRing::OutputRing(platform::Clock& clock)
    : bytes_(std::make_unique_for_overwrite<std::uint8_t[]>(capacity))
    , changed_(clock.makeCondVar())
{
}

std::span<std::uint8_t> OutputRing::waitForSpace()
{
    std::unique_lock lock(mutex_);
    if (filledLocked() == capacity)
        changed_->wait(lock, [&] { return capacity - filledLocked() >= batchBytes; });
    std::size_t at = std::size_t(written_ % capacity);
    std::size_t free = capacity - filledLocked();
    return { bytes_.get() + at, std::min(free, capacity - at) };
}

void OutputRing::commit(std::size_t size)
{
    std::lock_guard lock(mutex_);
    std::size_t before = filledLocked();
    written_ += size;
    if (before < batchBytes && filledLocked() >= batchBytes)
        changed_->notifyAll();
}

void OutputRing::finish()
{
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_->notifyAll();
}

OutputRing::Next OutputRing::waitForFilled(platform::Millis poll)
{
    std::unique_lock lock(mutex_);
    if (filledLocked() == 0)
        changed_->wait(
            lock, [&] { return finished_ || filledLocked() >= batchBytes; }, poll);
    std::size_t filled = filledLocked();
    if (filled == 0)
        return { {}, finished_ };
    std::size_t at = std::size_t(read_ % capacity);
    return { { bytes_.get() + at, std::min(filled, capacity - at) }, false };
}

void OutputRing::release(std::size_t size)
{
    std::lock_guard lock(mutex_);
    std::size_t freeBefore = capacity - filledLocked();
    read_ += size;
    if (freeBefore < batchBytes && capacity - filledLocked() >= batchBytes)
        changed_->notifyAll();
}

} // namespace media
