#pragma once
// The decoded audio between the decoder and the device: a ring of equal blocks holding at
// most 512 KiB in all. A block moves free -> filled (decoder) -> free again as soon as the
// device has taken its bytes. The device keeps its own copy, so no block waits for the
// device's clock: a clock that stops or lags can never starve the device of data.

#include "platform/clock.h"
#include "platform/owned_mutex.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace media {

class OutputRing {
public:
    static constexpr std::size_t maxBytes = 0x80000;

    // blockCapacity is the most one decoder block can hold; the block count is what fits.
    OutputRing(platform::Clock& clock, std::size_t blockCapacity);

    [[nodiscard]] std::size_t blockCount() const { return blocks_.size(); }
    [[nodiscard]] std::size_t blockCapacity() const { return blockCapacity_; }

    // Decoder thread: waits for a free block to fill, then hands it on with its size.
    std::span<std::uint8_t> waitForFreeBlock();
    void commitFilled(std::size_t size);
    // Decoder thread: no more blocks will come.
    void finish();

    // Output thread: the oldest filled block. When there is none it waits for a batch of
    // them, the end, or `poll` to pass, so the caller can look after the device meanwhile.
    struct Next {
        std::optional<std::span<const std::uint8_t>> block;
        bool finished = false; // finish() was called and every block was handed out
    };
    Next waitForFilledBlock(platform::Millis poll);
    // Output thread: the block from waitForFilledBlock is in the device; it is free again.
    void release();

private:
    struct Block {
        std::vector<std::uint8_t> bytes;
        std::size_t size = 0;
    };
    Block& at(std::uint64_t index) { return blocks_[index % blocks_.size()]; }
    // Worth waking the output thread for: handing blocks over one by one costs two thread
    // switches per frame. Needs mutex_.
    [[nodiscard]] bool enoughFilledLocked() const;
    static constexpr std::uint64_t batchBlocks = 8;

    const std::size_t blockCapacity_;
    std::vector<Block> blocks_;
    std::unique_ptr<platform::CondVar> changed_;
    // Guards the counters and finished_. Block bytes belong to whoever the counters say:
    // [released, filled) the output stage, the rest the decoder.
    platform::OwnedMutex mutex_;
    std::uint64_t released_ = 0;
    std::uint64_t filled_ = 0;
    bool finished_ = false;
};

} // namespace media
