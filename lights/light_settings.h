#pragma once
// How the sixteen lamps reach a DMX universe: a file of its own in the hall folder, edited by
// the light output settings window or by hand. Off by default, so a hall without lamps on a
// DMX bus sees no change. A value that is missing, not a number or out of range reads as its
// default; nothing here fails on a damaged file.

#include <array>
#include <cstdint>
#include <string_view>

namespace lights {

constexpr int lampCount = 16;
constexpr int dmxChannelCount = 512;
constexpr int maxUniverse = 32767;
constexpr int maxFadeMillis = 2000;

struct LampLevels {
    int channel = 1; // 1 … 512
    std::uint8_t on = 255;
    std::uint8_t off = 0;

    bool operator==(const LampLevels&) const = default;
};

struct LightSettings {
    bool enabled = false;
    int universe = 1; // 1 … 32767
    int fadeMillis = 0; // 0 snaps; up to 2 s of intermediate frames
    std::array<LampLevels, lampCount> lamps = defaultLamps();

    // Lamp n on channel n.
    static constexpr std::array<LampLevels, lampCount> defaultLamps()
    {
        std::array<LampLevels, lampCount> lamps {};
        for (int n = 1; n <= lampCount; ++n)
            lamps[n - 1].channel = n;
        return lamps;
    }

    bool operator==(const LightSettings&) const = default;
};

// The file's name in the hall folder.
constexpr std::string_view lightSettingsFile = "lights.ini";

LightSettings readLightSettings(std::string_view path);
// False when a part could not be written; the parts written before it keep their new values.
[[nodiscard]] bool writeLightSettings(std::string_view path, const LightSettings& settings);

} // namespace lights
