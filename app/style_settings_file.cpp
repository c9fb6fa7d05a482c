#include "app/style_settings_file.h"

#include "app/application.h"
#include "app/show_tables.h"

#include "runtime/conversions.h"
#include "runtime/ini_file.h"
#include "runtime/text_edit.h"

#include <string>

namespace app {
namespace {

constexpr char fileName[] = "ss.dat";
constexpr int fullVolume = 100;

int integerOf(const Text& text)
{
    return runtime::toInteger(runtime::Value(text));
}

} // namespace

Text channelKey(int channel)
{
    return std::to_string(channel);
}

Text channelDelayKey(int channel)
{
    return std::to_string(channel) + "c";
}

Text readStyleValue(const Application& app, std::string_view style, std::string_view key)
{
    return runtime::readIniEntry(dataFilePath(app, fileName), style, key, {}, app.files);
}

bool writeStyleValue(
    const Application& app, std::string_view style, std::string_view key, std::string_view value)
{
    return runtime::writeIniEntry(
        dataFilePath(app, fileName), style, Text(key), Text(value), app.files);
}

StyleSettingsTexts readStyleSettings(const Application& app, std::string_view style)
{
    StyleSettingsTexts settings;
    for (int channel = 1; channel <= channelCount; ++channel) {
        settings.lights[channel - 1] = readStyleValue(app, style, channelKey(channel));
        settings.delays[channel - 1] = readStyleValue(app, style, channelDelayKey(channel));
    }
    settings.timeLimit = readStyleValue(app, style, styleKeys::timeLimit);
    settings.volume = readStyleValue(app, style, styleKeys::volume);
    return settings;
}

bool writeStyleSettings(
    const Application& app, std::string_view style, const StyleSettingsTexts& settings)
{
    std::vector<std::pair<Text, Text>> entries;
    for (int channel = 1; channel <= channelCount; ++channel)
        entries.emplace_back(channelKey(channel), settings.lights[channel - 1]);
    entries.emplace_back(styleKeys::timeLimit, settings.timeLimit);
    entries.emplace_back(styleKeys::volume, settings.volume);
    for (int channel = 1; channel <= channelCount; ++channel)
        entries.emplace_back(
            channelDelayKey(channel), runtime::removeAllSpaces(settings.delays[channel - 1]));
    return runtime::writeIniSection(dataFilePath(app, fileName), style, entries, app.files);
}

std::optional<bool> channelLight(const Application& app, std::string_view style, int channel)
{
    const Text value = readStyleValue(app, style, channelKey(channel));
    if (value == "1")
        return true;
    if (value == "0")
        return false;
    return std::nullopt;
}

std::optional<int> channelDelaySeconds(const Application& app, std::string_view style, int channel)
{
    const Text value = readStyleValue(app, style, channelDelayKey(channel));
    return value.empty() ? std::nullopt : std::optional(integerOf(value));
}

std::optional<int> timeLimitMinutes(const Application& app, std::string_view style)
{
    const Text value = readStyleValue(app, style, styleKeys::timeLimit);
    if (value.empty() || value == styleKeys::noTimeLimit)
        return std::nullopt;
    return integerOf(value);
}

int volumePercent(const Application& app, std::string_view style)
{
    const Text value = readStyleValue(app, style, styleKeys::volume);
    return value.empty() ? fullVolume : integerOf(value);
}

} // namespace app
