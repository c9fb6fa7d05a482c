#pragma once
// Sound output as a PulseAudio playback stream on the default sink: pause corks the
// stream, resume uncorks it, reset flushes it. A stream the server dropped reports itself
// failed and takes everything at once, so no caller waits on it.

#include "backends/pulse/pulse_connection.h"
#include "media/audio_output.h"

#include <memory>
#include <optional>

namespace platform::pulse {

class PulseOutput : public media::AudioOutput {
public:
    explicit PulseOutput(std::shared_ptr<PulseConnection> connection);
    ~PulseOutput() override;

    bool open(const media::AudioFormat& format) override;
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    void pause() override;
    void resume() override;
    void reset() override;
    void drain() override;
    media::OutputState state() override;
    platform::Millis handOverTime() const override;

private:
    bool brokenLocked() const;
    void corkLocked(bool cork);
    // Loop thread: the server played out the stream's buffer; notes when the sink will have.
    void drainedLocked();
    void cancelDrainLocked();
    // Loop thread: a stream heard out and left idle corks itself a moment later, so the sink
    // may sleep; until then the next track starts on it at once, without a restart.
    void corkWhenIdleLocked(pa_usec_t heardOutAt);
    static void idleCorkDue(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);
    // Notes by the stream's clock when the last sample written will be heard.
    void foreseeEndLocked();
    // When the last sample of a drain is heard, by the earlier of the two reckonings.
    std::optional<pa_usec_t> endLocked() const;

    std::shared_ptr<PulseConnection> connection_;
    // Fields below are guarded by the connection's loop lock.
    pa_stream* stream_ = nullptr;
    media::AudioFormat format_;
    std::uint64_t written_ = 0;
    std::uint64_t played_ = 0; // never goes back; a flush counts as played
    bool paused_ = false;
    bool draining_ = false; // drain() was called and nothing written since
    // When the last sample of a drain will have been heard (rtclock time): noted as the server
    // reports the drain done, and foreseen by the stream's clock while it runs.
    std::optional<pa_usec_t> drainedAt_;
    std::optional<pa_usec_t> expectedEnd_;
    pa_operation* drain_ = nullptr;
    pa_time_event* idleTimer_ = nullptr;
    bool idleCorked_ = false; // corked by the idle timer, not by pause()
};

// Outputs on one shared connection, made again for the next output once the server dropped
// it; nothing when no server answers at first.
media::OutputFactory pulseOutputFactory();

} // namespace platform::pulse
