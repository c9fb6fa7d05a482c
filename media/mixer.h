#pragma once
// A master volume: the default sink of the sound server, or a simulated one. Values are
// per channel in the mixer's units, 65536 being 100 %; setting clamps them to 0..65535.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace media {

class Mixer {
public:
    enum class Control { volume, mute };
    static constexpr std::int64_t maxValue = 65535;

    virtual ~Mixer() = default;
    [[nodiscard]] virtual bool hasVolume() const = 0;
    [[nodiscard]] virtual bool hasMute() const = 0;
    [[nodiscard]] virtual int channelCount() const = 0;
    // One value per channel; nothing when the mixer cannot be read.
    [[nodiscard]] virtual std::optional<std::vector<std::int64_t>> volumes() = 0;
    // One value per channel, clamped to 0..maxValue; false when the mixer refused.
    [[nodiscard]] virtual bool setVolumes(const std::vector<std::int64_t>& values) = 0;
    // Called on a thread of the mixer whenever a control changes, whoever changed it. The
    // listener must not call back into the mixer: post the news to your own thread.
    virtual void setChangeListener(std::function<void(Control)> listener) = 0;
    // Puts back the volume the mixer found when it first reached its device, so the desktop
    // is left as the program found it; false when there is none or the mixer refused.
    [[nodiscard]] virtual bool restoreStartVolume() = 0;
};

// Nothing when no mixer answers.
using MixerFactory = std::function<std::unique_ptr<Mixer>()>;

} // namespace media
