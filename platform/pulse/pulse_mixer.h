#pragma once
// The master volume as the default sink's volume and mute. Values pass through in the
// server's units, where 65536 is 100 %, clamped to 0..65535 both ways. A change made by
// anyone reaches the listener on the connection's thread.

#include "media/mixer.h"
#include "platform/pulse/pulse_connection.h"

#include <string>

namespace platform::pulse {

class PulseMixer : public media::Mixer {
public:
    // Nothing when no server answers or it has no default sink.
    static std::unique_ptr<PulseMixer> open();
    ~PulseMixer() override;

    bool hasVolume() const override { return true; }
    bool hasMute() const override { return true; }
    int channelCount() const override { return channels_; }
    std::optional<std::vector<std::int64_t>> volumes() override;
    bool setVolumes(const std::vector<std::int64_t>& values) override;
    void setChangeListener(std::function<void(Control)> listener) override;

private:
    struct SinkState {
        bool known = false;
        pa_cvolume volume {};
        bool muted = false;
    };

    explicit PulseMixer(std::unique_ptr<PulseConnection> connection);
    // With the loop lock held: the sink's current volume and mute.
    SinkState readSinkLocked();
    // On the connection's thread: compares with the last state and tells the listener.
    void noticeChange(const pa_sink_info& info);

    std::unique_ptr<PulseConnection> connection_;
    // Guarded by the loop lock.
    std::string sinkName_;
    std::uint32_t sinkIndex_ = PA_INVALID_INDEX;
    int channels_ = 0;
    SinkState last_;
    std::function<void(Control)> listener_;
};

// Mixers on the default sink; each has its own connection for its change subscription.
media::MixerFactory pulseMixerFactory();

} // namespace platform::pulse
