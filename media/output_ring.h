#pragma once
// The decoded audio between the decoder and the device: one ring of 2 MiB of bytes. The
// decoder copies each frame's samples in; the output stage hands the device as many
// consecutive bytes as it takes in one write, and they are free again at once. The device
// keeps its own copy, so no byte waits for the device's clock: a clock that stops or lags
// can never starve the device of data.
//
// Each side sleeps until the other has moved a batch on, so a track costs a few dozen
// thread switches, not two per frame: a batch is about six seconds of CD-quality sound.

#include "platform/clock.h"
#include "platform/owned_mutex.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

namespace media {

class OutputRing {
public:
    static constexpr std::size_t capacity = 0x200000;
    // A side that waits is woken once this much is filled (or free) again.
    static constexpr std::size_t batchBytes = 0x100000;

    explicit OutputRing(platform::Clock& clock);

    // Decoder thread: the free bytes that follow each other from the write position, at least
    // one; waits while the ring is full.
    [[nodiscard]] std::span<std::uint8_t> waitForSpace();
    // Decoder thread: `size` bytes of that span hold samples now.
    void commit(std::size_t size);
    // Decoder thread: no more samples will come.
    void finish();

    // Output thread: the filled bytes that follow each other from the read position. When
    // there are none it waits for a batch of them, the end, or `poll` to pass, so the caller
    // can look after the device meanwhile.
    struct Next {
        std::span<const std::uint8_t> bytes; // empty when nothing came in time
        bool finished = false; // finish() was called and every byte was handed out
    };
    [[nodiscard]] Next waitForFilled(platform::Millis poll);
    // Output thread: the first `size` bytes from waitForFilled are in the device.
    void release(std::size_t size);

private:
    [[nodiscard]] std::size_t filledLocked() const
    {
        mutex_.assertHeld();
        return std::size_t(written_ - read_);
    }

    // Not zeroed: its pages are touched first by the decoder, not by the thread opening a track.
    std::unique_ptr<std::uint8_t[]> bytes_;
    std::unique_ptr<platform::CondVar> changed_;
    // Guards the counters and finished_. Bytes belong to whoever the counters say:
    // [read_, written_) the output stage, the rest the decoder.
    platform::OwnedMutex mutex_;
    std::uint64_t read_ = 0;
    std::uint64_t written_ = 0;
    bool finished_ = false;
};

} // namespace media
