#pragma once
// The system volume component: the master volume of the default output, read and set per
// channel in the mixer's units, with events when someone changes the volume or the mute.
// Interface thread only; the event callback may run on the mixer's thread and must post.

#include "media/mixer.h"

#include <functional>
#include <memory>
#include <vector>

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
    // code that is not a speaker or wave output line). A mixer whose server is not there yet
    // answers 0 but is kept, and opens when the server comes.
    [[nodiscard]] int openSystemVolume(int lineCode);
    // 1 and the values, or -1 with the variables untouched when the volume is not open, or
    // both -1 when the read failed. Right is -1 on a one-channel line; a line of more than
    // two channels reads as its loudest channel on both sides.
    int getSystemVolume(int& left, int& right);
    // 1 on success, 0 when not open or refused. Values are clamped to 0..65535. A line of
    // more than two channels is scaled as a whole to the larger value, keeping its balance.
    int setSystemVolume(int left, int right);

    // Puts back the master volume found at the start; false when there is none to restore.
    bool restoreStartVolume();

private:
    [[nodiscard]] bool volumeOpen() const;

    MixerFactory makeMixer_;
    std::function<void(Event)> raiseEvent_;
    std::unique_ptr<Mixer> mixer_;
    std::vector<std::int64_t> balance_; // the channels of a surround sink when last heard
};

} // namespace media
