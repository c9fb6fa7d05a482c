#include "lights/light_settings.h"

#include "runtime/ini_file.h"

#include <charconv>
#include <string>
#include <utility>
#include <vector>

namespace lights {
namespace {

// [output] enabled, universe, fade; [lamp1] … [lamp16] channel, on, off.
constexpr std::string_view outputSection = "output";

std::string lampSection(int lamp)
{
    return "lamp" + std::to_string(lamp);
}

int readNumber(std::string_view path, std::string_view section, std::string_view key, int low,
    int high, int fallback)
{
    const runtime::Text text = runtime::readIniEntry(path, section, key);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return fallback;
    return value;
}

} // namespace

LightSettings readLightSettings(std::string_view path)
{
    LightSettings settings;
    settings.enabled = readNumber(path, outputSection, "enabled", 0, 1, 0) == 1;
    settings.universe = readNumber(path, outputSection, "universe", 1, maxUniverse, 1);
    settings.fadeMillis = readNumber(path, outputSection, "fade", 0, maxFadeMillis, 0);
    for (int lamp = 1; lamp <= lampCount; ++lamp) {
        LampLevels& levels = settings.lamps[lamp - 1];
        const std::string section = lampSection(lamp);
        levels.channel = readNumber(path, section, "channel", 1, dmxChannelCount, levels.channel);
        levels.on = static_cast<std::uint8_t>(readNumber(path, section, "on", 0, 255, levels.on));
        levels.off
            = static_cast<std::uint8_t>(readNumber(path, section, "off", 0, 255, levels.off));
    }
    return settings;
}

bool writeLightSettings(std::string_view path, const LightSettings& settings)
{
    // One section at a time: a failure part-way leaves earlier sections new and the rest old,
    // and every value in the file stays one that reads back.
    if (!runtime::writeIniSection(path, outputSection,
            { { "enabled", settings.enabled ? "1" : "0" },
                { "universe", std::to_string(settings.universe) },
                { "fade", std::to_string(settings.fadeMillis) } }))
        return false;
    for (int lamp = 1; lamp <= lampCount; ++lamp) {
        const LampLevels& levels = settings.lamps[lamp - 1];
        if (!runtime::writeIniSection(path, lampSection(lamp),
                { { "channel", std::to_string(levels.channel) },
                    { "on", std::to_string(levels.on) }, { "off", std::to_string(levels.off) } }))
            return false;
    }
    return true;
}

} // namespace lights
