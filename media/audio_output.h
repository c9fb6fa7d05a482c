#pragma once
// A sound output device: PulseAudio on a desktop, a silent simulated device otherwise.
// Samples are signed 16-bit little-endian, interleaved. Every method is safe from any
// thread; the pipeline's output stage writes while the interface thread pauses.

#include "platform/clock.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace media {

struct AudioFormat {
    int sampleRate = 44100;
    int channels = 2;

    [[nodiscard]] int bytesPerFrame() const { return channels * 2; }
};

struct OutputState {
    std::size_t freeBytes = 0; // writable now without overrunning the device
    std::size_t queuedBytes = 0; // written and not yet heard
    platform::Millis delay = 0; // until a sample written now is heard
    bool playing = false; // not paused, and something is queued
    std::uint64_t playedBytes = 0; // heard since open
    bool failed = false; // the device went away: nothing written will be heard any more
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    [[nodiscard]] virtual bool open(const AudioFormat& format) = 0;
    // Takes up to state().freeBytes of `bytes`; returns how many it took.
    [[nodiscard]] virtual std::size_t write(std::span<const std::uint8_t> bytes) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    // Drops everything queued; what was queued counts as played.
    virtual void reset() = 0;
    // Plays out what is queued even when it is less than the device likes to start with;
    // finished when state().queuedBytes is 0.
    virtual void drain() = 0;
    virtual OutputState state() = 0;
    // How long before the last sample of a drain is heard a track may count as ended and
    // leave the rest to play: a device that restarts slowly once it ran dry gives the next
    // track this long to start writing, so the two follow without a gap. A device with a
    // hand-over time pauses itself when left idle after a drain; the next write resumes it.
    [[nodiscard]] virtual platform::Millis handOverTime() const { return 0; }
};

using OutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

} // namespace media
