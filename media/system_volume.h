#pragma once
// The system volume component: the master volume of the default output, read and set per
// channel in the mixer's units, with events when someone changes the volume or the mute.
// Interface thread only; the event callback may run on the mixer's thread and must post.

#include "media/mixer.h"

#include <functional>
#include <memory>

namespace media {

class SystemVolume {
public:
    enum Event { volumeChanged = 0, muteChanged = 1 };
    static constexpr int speakerLine = 4;

    SystemVolume(MixerFactory makeMixer, std::function<void(Event)> raiseEvent);
    // The mixer's listener points at this object.
    SystemVolume(const SystemVolume&) = delete;
    SystemVolume& operator=(const SystemVolume&) = delete;

    // 1 volume and mute found, -2 volume only, -1 mute only, 0 neither (also for a line
    // code that is not a speaker or wave output line).
    int openSystemVolume(int lineCode);
    // 1 and the values (right -1 unless the line has two channels), or -1 with the
    // variables untouched when the volume is not open, or both -1 when the read failed.
    int getSystemVolume(int& left, int& right);
    // 1 on success, 0 when not open or refused. Values are clamped to 0..65535.
    int setSystemVolume(int left, int right);

private:
    MixerFactory makeMixer_;
    std::function<void(Event)> raiseEvent_;
    std::unique_ptr<Mixer> mixer_;
    bool volumeOpen_ = false;
};

} // namespace media
