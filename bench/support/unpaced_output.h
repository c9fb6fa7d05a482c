#pragma once
// A device that hears everything the moment it is written, so the pipeline runs flat out:
// what the benches time is decoding, not the sound server's clock.

#include "media/audio_output.h"

#include <atomic>
#include <cstdint>

namespace bench {

class UnpacedOutput : public media::AudioOutput {
public:
    bool open(const media::AudioFormat&) override { return true; }
    std::size_t write(std::span<const std::uint8_t> bytes) override
    {
        written_ += bytes.size();
        return bytes.size();
    }
    void pause() override { }
    void resume() override { }
    void reset() override { }
    void drain() override { }
    media::OutputState state() override { return { 1 << 20, 0, 0, false, written_ }; }

private:
    std::atomic<std::uint64_t> written_ = 0;
};

} // namespace bench
