#pragma once
// One sound device kept open from track to track, so the next track is written into the
// stream the last one played on instead of waiting for a new one. A new device is made only
// when the format changes or the kept one failed. Not a mixer: one track uses it at a time.
//
// Threads: the factory and the outputs it makes may be used from any thread; mutex_ guards
// which device is kept, never a call into the device.

#include "media/audio_output.h"

#include <memory>
#include <mutex>
#include <optional>

namespace media {

class OutputKeeper : public std::enable_shared_from_this<OutputKeeper> {
public:
    static std::shared_ptr<OutputKeeper> create(OutputFactory makeDevice);

    // Outputs that open onto the kept device, playing; each counts what it played from its
    // own open, and leaves the device flushed and paused when it goes.
    OutputFactory outputs();

    // The kept device at `format`, made anew when there is none, it failed or its format
    // differs; nothing when no device can be opened.
    std::shared_ptr<AudioOutput> deviceFor(const AudioFormat& format);

private:
    explicit OutputKeeper(OutputFactory makeDevice);

    const OutputFactory makeDevice_;
    std::mutex mutex_; // guards device_ and format_
    std::shared_ptr<AudioOutput> device_;
    AudioFormat format_;
};

} // namespace media
