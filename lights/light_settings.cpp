#include "lights/light_settings.h"

#include "platform/path.h"
#include "platform/whole_files.h"
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

int readNumber(std::optional<std::string_view> content, std::string_view section,
    std::string_view key, int low, int high, int fallback)
{
    const runtime::Text text = runtime::iniEntryIn(content, section, key);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return fallback;
    return value;
}

} // namespace

LightSettings readLightSettings(std::string_view path)
{
    // Read once: 51 entries, each of which would open and read the file again.
    const auto file = platform::readWholeFile(platform::nativePath(path));
    const auto content = file ? std::optional<std::string_view>(*file) : std::nullopt;
    LightSettings settings;
    settings.enabled = readNumber(content, outputSection, "enabled", 0, 1, 0) == 1;
    settings.universe = readNumber(content, outputSection, "universe", 1, maxUniverse, 1);
    settings.fadeMillis = readNumber(content, outputSection, "fade", 0, maxFadeMillis, 0);
    for (int lamp = 1; lamp <= lampCount; ++lamp) {
        LampLevels& levels = settings.lamps[lamp - 1];
        const std::string section = lampSection(lamp);
        levels.channel
            = readNumber(content, section, "channel", 1, dmxChannelCount, levels.channel);
        levels.on
            = static_cast<std::uint8_t>(readNumber(content, section, "on", 0, 255, levels.on));
        levels.off
            = static_cast<std::uint8_t>(readNumber(content, section, "off", 0, 255, levels.off));
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
