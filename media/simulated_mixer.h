#pragma once
// A master volume without a sound server, for the headless platform: it keeps the values
// it is given, remembers when each was set on the clock, and tells its listener. Tests
// read the history to check a fade in virtual time.

#include "media/mixer.h"
#include "platform/clock.h"

#include <mutex>

namespace media {

class SimulatedMixer : public Mixer {
public:
    struct Change {
        platform::Millis at;
        std::vector<std::int64_t> values;
    };

    SimulatedMixer(platform::Clock& clock, int channels = 2, bool hasMute = true);

    [[nodiscard]] bool hasVolume() const override { return true; }
    [[nodiscard]] bool hasMute() const override { return hasMute_; }
    [[nodiscard]] int channelCount() const override { return channels_; }
    [[nodiscard]] std::optional<std::vector<std::int64_t>> volumes() override;
    [[nodiscard]] bool setVolumes(const std::vector<std::int64_t>& values) override;
    void setChangeListener(std::function<void(Control)> listener) override;
    // Puts back the values found when the first component reached this mixer.
    [[nodiscard]] bool restoreStartVolume() override;
    // Notes the values as found at the start, the first time only.
    void noteStart();

    [[nodiscard]] std::vector<Change> history() const;
    // Drops the changes so far, so a run of hours keeps only what it still needs.
    void forgetHistory();

private:
    platform::Clock& clock_;
    const int channels_;
    const bool hasMute_;
    mutable std::mutex mutex_; // guards the fields below
    std::vector<std::int64_t> values_;
    std::vector<std::int64_t> startValues_;
    std::vector<Change> history_;
    std::function<void(Control)> listener_;
};

// A factory whose mixers all share one simulated state, as one sound card would.
MixerFactory simulatedMixerFactory(std::shared_ptr<SimulatedMixer> mixer);

} // namespace media
