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
    volumeOpen_ = false;
    // Every output line is the default sink here: there is one master volume.
    if (!isOutputLine(lineCode) || !(mixer_ = makeMixer_()))
        return 0;
    volumeOpen_ = mixer_->hasVolume();
    bool muteOpen = mixer_->hasMute();
    mixer_->setChangeListener([this, volumeOpen = volumeOpen_, muteOpen](Mixer::Control control) {
        if (control == Mixer::Control::volume && volumeOpen)
            raiseEvent_(volumeChanged);
        else if (control == Mixer::Control::mute && muteOpen)
            raiseEvent_(muteChanged);
    });
    if (volumeOpen_)
        return muteOpen ? 1 : -2;
    if (!muteOpen)
        mixer_.reset();
    return muteOpen ? -1 : 0;
}

int SystemVolume::getSystemVolume(int& left, int& right)
{
    if (!volumeOpen_)
        return -1;
    left = right = -1;
    auto values = mixer_->volumes();
    if (!values || values->empty())
        return -1;
    left = int((*values)[0]);
    if (values->size() == 2)
        right = int((*values)[1]);
    return 1;
}

int SystemVolume::setSystemVolume(int left, int right)
{
    if (!volumeOpen_)
        return 0;
    int channels = mixer_->channelCount();
    std::vector<std::int64_t> values(std::max(channels, 1), left);
    if (channels >= 2)
        values[1] = right;
    // Further channels follow the louder side, so a surround sink keeps its level.
    for (int i = 2; i < channels; ++i)
        values[i] = std::max(left, right);
    return mixer_->setVolumes(values) ? 1 : 0;
}

} // namespace media
