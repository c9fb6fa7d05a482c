#pragma once
// The DMX levels of the sixteen lamps over time: a lamp change starts a fade from the lamp's
// level at that moment to its new level, straight in time over the fade time (0 snaps). The
// frame at a moment puts each lamp's level on its channel; lamps sharing a channel give it
// the highest of their levels, so one lamp's "off" never darkens another's "on". Plain data:
// the caller keeps it under its lock and gives the time.

#include "lights/light_settings.h"

#include <array>
#include <cstdint>

namespace lights {

using DmxFrame = std::array<std::uint8_t, dmxChannelCount>;

class LampFades {
public:
    // Every lamp starts at its off level.
    explicit LampFades(const LightSettings& settings);

    // Lamp n = 1 … 16; other numbers are ignored.
    void set(int lamp, bool on, std::int64_t nowMillis);
    // Every lamp to its off level at once, with no fade.
    void snapAllOff();
    DmxFrame frameAt(std::int64_t nowMillis) const;
    // True while some lamp is still between its levels.
    bool fadingAt(std::int64_t nowMillis) const;

private:
    struct Fade {
        double from;
        double to;
        std::int64_t startMillis;
    };

    double levelAt(const Fade& fade, std::int64_t nowMillis) const;

    LightSettings settings_;
    std::array<Fade, lampCount> fades_;
};

} // namespace lights
