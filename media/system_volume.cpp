#include "media/system_volume.h"

#include <algorithm>

namespace media {
namespace {

bool isOutputLine(int lineCode)
{
    return lineCode == SystemVolume::speakerLine || (lineCode >= 0x1002 && lineCode <= 0x1006)
        || lineCode == 0x1008 || lineCode == 0x100A;
}

} // namespace

SystemVolume::SystemVolume(MixerFactory makeMixer, std::function<void(Event)> raiseEvent)
    : makeMixer_(std::move(makeMixer))
    , raiseEvent_(std::move(raiseEvent))
{
}

int SystemVolume::openSystemVolume(int lineCode)
{
    mixer_.reset();
    // Every output line is the default sink here: there is one master volume.
    if (!isOutputLine(lineCode) || !(mixer_ = makeMixer_()))
        return 0;
    // Kept even when it has no controls yet: a sound server that starts later opens it then.
    mixer_->setChangeListener([this](Mixer::Control control) {
        raiseEvent_(control == Mixer::Control::volume ? volumeChanged : muteChanged);
    });
    bool volumeOpen = mixer_->hasVolume();
    bool muteOpen = mixer_->hasMute();
    if (volumeOpen)
        return muteOpen ? 1 : -2;
    return muteOpen ? -1 : 0;
}

bool SystemVolume::restoreStartVolume()
{
    return mixer_ && mixer_->restoreStartVolume();
}

bool SystemVolume::volumeOpen() const
{
    return mixer_ && mixer_->hasVolume();
}

int SystemVolume::getSystemVolume(int& left, int& right)
{
    if (!volumeOpen())
        return -1;
    left = right = -1;
    auto values = mixer_->volumes();
    if (!values || values->empty())
        return -1;
    left = int((*values)[0]);
    if (values->size() == 2)
        right = int((*values)[1]);
    // A surround sink reads as its loudest channel on both sides, so a fade that lowers both
    // lowers every channel alike instead of silencing the second one.
    if (values->size() > 2)
        left = right = int(*std::max_element(values->begin(), values->end()));
    return 1;
}

int SystemVolume::setSystemVolume(int left, int right)
{
    if (!volumeOpen())
        return 0;
    int channels = mixer_->channelCount();
    std::vector<std::int64_t> values(std::max(channels, 1), left);
    if (channels == 2)
        values[1] = right;
    if (channels > 2) {
        // Every channel scaled alike, keeping the balance the sink had.
        auto current = mixer_->volumes();
        if (!current || int(current->size()) != channels)
            return 0;
        // A sink faded to silence has no balance left to read: the last one seen holds.
        if (*std::max_element(current->begin(), current->end()) > 0)
            balance_ = *current;
        if (int(balance_.size()) != channels)
            balance_.assign(channels, 1);
        std::int64_t loudest = *std::max_element(balance_.begin(), balance_.end());
        std::int64_t target = std::clamp<std::int64_t>(std::max(left, right), 0, Mixer::maxValue);
        for (int i = 0; i < channels; ++i)
            values[i] = balance_[i] * target / loudest;
    }
    return mixer_->setVolumes(values) ? 1 : 0;
}

} // namespace media
