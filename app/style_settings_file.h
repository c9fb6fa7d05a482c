#pragma once
// The style settings file ss.dat in the program directory: one INI section per style, named
// as the style catalogue names it, with 34 text keys. The light program, the status timer
// and the style settings window come here; nothing ever removes a section or a key.

#include "runtime/text.h"

#include <array>
#include <optional>
#include <string_view>

namespace app {

class Application;
using runtime::Text;

constexpr int channelCount = 16;

namespace styleKeys {
inline constexpr char timeLimit[] = "限时";
inline constexpr char volume[] = "音量";
inline constexpr char noTimeLimit[] = "无限时";
} // namespace styleKeys

// "1" … "16": the channel's light state at a track start.
[[nodiscard]] Text channelKey(int channel);
// "1c" … "16c": seconds before the channel is switched off.
[[nodiscard]] Text channelDelayKey(int channel);

// The value, or "" when the file, section or key is missing. Values are cut to 10,239 bytes.
[[nodiscard]] Text readStyleValue(
    const Application& app, std::string_view style, std::string_view key);
// Creates the file, section or key as needed. True when written.
[[nodiscard]] bool writeStyleValue(
    const Application& app, std::string_view style, std::string_view key, std::string_view value);

// Every key of a style as its text, the way the settings window shows and saves them.
struct StyleSettingsTexts {
    std::array<Text, channelCount> lights; // "1" lit, "0" dark
    Text timeLimit; // minutes, "无限时" or ""
    Text volume; // percent or ""
    std::array<Text, channelCount> delays; // seconds, "" for a channel not switched off
};

StyleSettingsTexts readStyleSettings(const Application& app, std::string_view style);
// Writes "1" … "16", "限时", "音量", "1c" … "16c" in that order, the delays without spaces,
// in one replacement of the file: a failure leaves the file as it was, never half a style.
[[nodiscard]] bool writeStyleSettings(
    const Application& app, std::string_view style, const StyleSettingsTexts& settings);

// The readings of the values. A light: "1" on, "0" off, anything else leaves the channel.
[[nodiscard]] std::optional<bool> channelLight(
    const Application& app, std::string_view style, int channel);
// Seconds before the channel goes dark; nothing when it is not in the switch-off sequence.
[[nodiscard]] std::optional<int> channelDelaySeconds(
    const Application& app, std::string_view style, int channel);
// Minutes a track may play; nothing for no limit ("" or "无限时").
[[nodiscard]] std::optional<int> timeLimitMinutes(const Application& app, std::string_view style);
// Percent; 100 when unset.
[[nodiscard]] int volumePercent(const Application& app, std::string_view style);

} // namespace app
