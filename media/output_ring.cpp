#include "media/output_ring.h"

#include <algorithm>

namespace media {

OutputRing::OutputRing(platform::Clock& clock, std::size_t blockCapacity)
    : blockCapacity_(blockCapacity)
    , blocks_(std::max<std::size_t>(1, maxBytes / blockCapacity))
    , changed_(clock.makeCondVar())
{
    for (auto& block : blocks_)
        block.bytes.resize(blockCapacity);
}

std::span<std::uint8_t> OutputRing::waitForFreeBlock()
{
    std::unique_lock lock(mutex_);
    changed_->wait(lock, [&] { return filled_ - released_ < blocks_.size(); });
    return at(filled_).bytes;
}

void OutputRing::commitFilled(std::size_t size)
{
    std::lock_guard lock(mutex_);
    at(filled_).size = size;
    ++filled_;
    if (enoughFilledLocked())
        changed_->notifyAll();
}

void OutputRing::finish()
{
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_->notifyAll();
}

OutputRing::Next OutputRing::waitForFilledBlock(platform::Millis poll)
{
    std::unique_lock lock(mutex_);
    if (filled_ == released_)
        changed_->wait(
            lock, [&] { return enoughFilledLocked(); }, poll);
    if (filled_ == released_)
        return { std::nullopt, finished_ };
    Block& block = at(released_);
    return { std::span<const std::uint8_t>(block.bytes.data(), block.size), false };
}

bool OutputRing::enoughFilledLocked() const
{
    mutex_.assertHeld();
    std::uint64_t waiting = filled_ - released_;
    return finished_ || waiting >= std::min<std::uint64_t>(batchBlocks, blocks_.size());
}

void OutputRing::release()
{
    std::lock_guard lock(mutex_);
    ++released_;
    changed_->notifyAll();
}

} // namespace media
