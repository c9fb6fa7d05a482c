#pragma once
// A sound device that plays nothing but behaves like one: it holds a quarter second of
// audio and consumes it at the sample rate as the clock advances, stops while paused, and
// reports what it has played. Used without a sound server and in every pipeline test.

#include "media/audio_output.h"
#include "platform/owned_mutex.h"

#include <mutex>

namespace media {

class SilentOutput : public AudioOutput {
public:
    explicit SilentOutput(platform::Clock& clock, platform::Millis bufferTime = 250);

    [[nodiscard]] bool open(const AudioFormat& format) override;
    [[nodiscard]] std::size_t write(std::span<const std::uint8_t> bytes) override;
    void pause() override;
    void resume() override;
    void reset() override;
    void drain() override { }
    OutputState state() override;

private:
    // Moves the play position on by the clock time since the last call. Needs mutex_.
    void advanceLocked();
    OutputState stateLocked() const;

    platform::Clock& clock_;
    const platform::Millis bufferTime_;
    platform::OwnedMutex mutex_; // guards every field below
    AudioFormat format_;
    std::size_t capacity_ = 0;
    std::uint64_t written_ = 0;
    std::uint64_t played_ = 0;
    bool paused_ = false;
    platform::Millis lastAdvance_ = 0;
    std::int64_t sampleRemainder_ = 0; // thousandths of a sample carried between advances
};

} // namespace media
