#include "lights/lamp_fades.h"

#include <algorithm>
#include <cmath>

namespace lights {

LampFades::LampFades(const LightSettings& settings)
    : settings_(settings)
{
    for (int lamp = 0; lamp < lampCount; ++lamp)
        fades_[lamp] = { double(settings_.lamps[lamp].off), double(settings_.lamps[lamp].off), 0 };
}

void LampFades::set(int lamp, bool on, std::int64_t nowMillis)
{
    if (lamp < 1 || lamp > lampCount)
        return;
    Fade& fade = fades_[lamp - 1];
    const LampLevels& levels = settings_.lamps[lamp - 1];
    // A change in the middle of a fade turns back from where the lamp is now, not from where
    // the fade began, so the lamp never jumps.
    fade = { levelAt(fade, nowMillis), double(on ? levels.on : levels.off), nowMillis };
}

void LampFades::snapAllOff()
{
    for (int lamp = 0; lamp < lampCount; ++lamp) {
        const double off = settings_.lamps[lamp].off;
        fades_[lamp] = { off, off, 0 };
    }
}

double LampFades::levelAt(const Fade& fade, std::int64_t nowMillis) const
{
    const std::int64_t elapsed = nowMillis - fade.startMillis;
    if (settings_.fadeMillis <= 0 || elapsed >= settings_.fadeMillis)
        return fade.to;
    const double part = std::max<std::int64_t>(elapsed, 0) / double(settings_.fadeMillis);
    return fade.from + (fade.to - fade.from) * part;
}

DmxFrame LampFades::frameAt(std::int64_t nowMillis) const
{
    DmxFrame frame {};
    for (int lamp = 0; lamp < lampCount; ++lamp) {
        const int number = settings_.lamps[lamp].channel;
        if (number < 1 || number > dmxChannelCount)
            continue;
        const auto level = static_cast<std::uint8_t>(std::lround(levelAt(fades_[lamp], nowMillis)));
        std::uint8_t& channel = frame[number - 1];
        channel = std::max(channel, level);
    }
    return frame;
}

bool LampFades::fadingAt(std::int64_t nowMillis) const
{
    return std::any_of(fades_.begin(), fades_.end(), [&](const Fade& fade) {
        return fade.from != fade.to && nowMillis - fade.startMillis < settings_.fadeMillis;
    });
}

} // namespace lights
