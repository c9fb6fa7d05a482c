#include "media/simulated_mixer.h"

#include <algorithm>

namespace media {

SimulatedMixer::SimulatedMixer(platform::Clock& clock, int channels, bool hasMute)
    : clock_(clock)
    , channels_(channels)
    , hasMute_(hasMute)
    , values_(channels, maxValue)
{
}

std::optional<std::vector<std::int64_t>> SimulatedMixer::volumes()
{
    std::lock_guard lock(mutex_);
    return values_;
}

bool SimulatedMixer::setVolumes(const std::vector<std::int64_t>& values)
{
    if (int(values.size()) != channels_)
        return false;
    std::function<void(Control)> listener;
    {
        std::lock_guard lock(mutex_);
        for (int i = 0; i < channels_; ++i)
            values_[i] = std::clamp<std::int64_t>(values[i], 0, maxValue);
        history_.push_back({ clock_.now(), values_ });
        listener = listener_;
    }
    if (listener)
        listener(Control::volume);
    return true;
}

bool SimulatedMixer::restoreStartVolume()
{
    std::vector<std::int64_t> start;
    {
        std::lock_guard lock(mutex_);
        start = startValues_;
    }
    return !start.empty() && setVolumes(start);
}

void SimulatedMixer::noteStart()
{
    std::lock_guard lock(mutex_);
    if (startValues_.empty())
        startValues_ = values_;
}

void SimulatedMixer::setChangeListener(std::function<void(Control)> listener)
{
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

std::vector<SimulatedMixer::Change> SimulatedMixer::history() const
{
    std::lock_guard lock(mutex_);
    return history_;
}

void SimulatedMixer::forgetHistory()
{
    std::lock_guard lock(mutex_);
    std::vector<Change>().swap(history_);
}

MixerFactory simulatedMixerFactory(std::shared_ptr<SimulatedMixer> mixer)
{
    // Each component owns what the factory returns; this view forwards to the shared one.
    class View : public Mixer {
    public:
        explicit View(std::shared_ptr<SimulatedMixer> mixer)
            : mixer_(std::move(mixer))
        {
            mixer_->noteStart();
        }
        ~View() override { mixer_->setChangeListener(nullptr); }
        bool hasVolume() const override { return mixer_->hasVolume(); }
        bool hasMute() const override { return mixer_->hasMute(); }
        int channelCount() const override { return mixer_->channelCount(); }
        std::optional<std::vector<std::int64_t>> volumes() override { return mixer_->volumes(); }
        bool setVolumes(const std::vector<std::int64_t>& values) override
        {
            return mixer_->setVolumes(values);
        }
        void setChangeListener(std::function<void(Control)> listener) override
        {
            mixer_->setChangeListener(std::move(listener));
        }
        bool restoreStartVolume() override { return mixer_->restoreStartVolume(); }

    private:
        std::shared_ptr<SimulatedMixer> mixer_;
    };
    return [mixer] { return std::make_unique<View>(mixer); };
}

} // namespace media
