#pragma once
// The master volume as the default sink's volume and mute, on whatever server answers now or
// later. It follows the default sink: when another sink becomes the default, or the server
// restarts, it binds to the new default and reports a volume change. Values are linear in
// amplitude, 65536 being 100 %, and converted to and from the server's cubic scale, so a
// value half as large plays half as loud; they are clamped to 0..65535 both ways. The volume
// restored at the end is the one the sink bound first had then.
//
// Threads: the public methods from any thread; the listener runs on the connection's thread.

#include "backends/pulse/pulse_connection.h"
#include "media/mixer.h"

#include <optional>
#include <string>

namespace platform::pulse {

class PulseMixer : public media::Mixer {
public:
    // Nothing only when libpulse cannot run; without a server it waits for one.
    static std::unique_ptr<PulseMixer> open();
    ~PulseMixer() override;

    // Both follow the binding: false while no server or no default sink is there.
    bool hasVolume() const override;
    bool hasMute() const override { return hasVolume(); }
    int channelCount() const override;
    std::optional<std::vector<std::int64_t>> volumes() override;
    bool setVolumes(const std::vector<std::int64_t>& values) override;
    void setChangeListener(std::function<void(Control)> listener) override;
    bool restoreStartVolume() override;

    static pa_volume_t toServer(std::int64_t value);
    static std::int64_t fromServer(pa_volume_t volume);

private:
    struct SinkState {
        bool known = false;
        pa_cvolume volume {};
        bool muted = false;
    };

    PulseMixer() = default;
    // Loop thread: the connection came up or went away.
    void connectionChanged(bool ready);
    // Loop thread: asks the server for its default sink and binds to it when it changed.
    void lookUpDefaultSinkLocked();
    void finishLookUpLocked();
    void bindLocked(const pa_sink_info& info);
    // With the loop lock held, off the loop thread: the sink's current volume and mute.
    SinkState readSinkLocked();
    // Loop thread: compares with the last state and tells the listener.
    void noticeChange(const pa_sink_info& info);
    void tellLocked(Control control);

    std::unique_ptr<PulseConnection> connection_;
    // Guarded by the loop lock.
    std::string sinkName_; // empty while unbound
    std::uint32_t sinkIndex_ = PA_INVALID_INDEX;
    int channels_ = 0;
    SinkState last_;
    std::function<void(Control)> listener_;
    std::optional<std::pair<std::string, pa_cvolume>> startVolume_;
    bool lookingUp_ = false;
};

// Mixers on the default sink; each has its own connection for its change subscription. The
// first one starts connecting when the factory is made, the others when they are asked for.
media::MixerFactory pulseMixerFactory();

} // namespace platform::pulse
