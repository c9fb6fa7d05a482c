// The light output settings window: whether the lamps go to a DMX universe, which universe,
// the fade time and per lamp its channel and levels, saved to the hall's light settings file.
// A value out of range is named to the operator and nothing is written. The saved settings
// take effect when the program next starts, because the light program's threads hold the
// running output. 测试 lights each lamp in turn through the panel and that running output.

#include "app/application.h"
#include "app/handler_table.h"
#include "app/light_program.h"
#include "app/read_only_hall.h"
#include "app/settings_form.h"
#include "app/show_tables.h"

#include "lights/light_settings.h"
#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <array>
#include <charconv>
#include <optional>
#include <string>

namespace app {
namespace {

using namespace ids::LightOutputWindow;

struct LampBoxes {
    ui::ComponentId channel, on, off;
};

constexpr std::array<LampBoxes, lights::lampCount> lampBoxes { {
    { 编辑框1通道, 编辑框1亮, 编辑框1灭 },
    { 编辑框2通道, 编辑框2亮, 编辑框2灭 },
    { 编辑框3通道, 编辑框3亮, 编辑框3灭 },
    { 编辑框4通道, 编辑框4亮, 编辑框4灭 },
    { 编辑框5通道, 编辑框5亮, 编辑框5灭 },
    { 编辑框6通道, 编辑框6亮, 编辑框6灭 },
    { 编辑框7通道, 编辑框7亮, 编辑框7灭 },
    { 编辑框8通道, 编辑框8亮, 编辑框8灭 },
    { 编辑框9通道, 编辑框9亮, 编辑框9灭 },
    { 编辑框10通道, 编辑框10亮, 编辑框10灭 },
    { 编辑框11通道, 编辑框11亮, 编辑框11灭 },
    { 编辑框12通道, 编辑框12亮, 编辑框12灭 },
    { 编辑框13通道, 编辑框13亮, 编辑框13灭 },
    { 编辑框14通道, 编辑框14亮, 编辑框14灭 },
    { 编辑框15通道, 编辑框15亮, 编辑框15灭 },
    { 编辑框16通道, 编辑框16亮, 编辑框16灭 },
} };

// The entries of 组合框输出, in this order.
constexpr std::int32_t outputOff = 0, outputOn = 1;

// How long each lamp of the test stays lit.
constexpr platform::Millis testLitMillis = 500;

constexpr std::int32_t connectedColour = ui::rgb(0, 128, 0);
constexpr std::int32_t notConnectedColour = ui::rgb(255, 0, 0);

Text settingsPath(const Application& app)
{
    return dataFilePath(app, lights::lightSettingsFile);
}

void setBox(Application& app, ui::ComponentId box, int value)
{
    app.windows.setProperty(window, box, ui::prop::editBox::content, std::to_string(value));
}

// The box's whole content as a number in low … high, spaces around it allowed.
std::optional<int> boxNumber(Application& app, ui::ComponentId box, int low, int high)
{
    const Text text = std::get<Text>(app.windows.property(window, box, ui::prop::editBox::content));
    const auto first = text.find_first_not_of(' ');
    if (first == Text::npos)
        return std::nullopt;
    const auto last = text.find_last_not_of(' ');
    int value = 0;
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || value < low || value > high)
        return std::nullopt;
    return value;
}

void showSettings(Application& app, const lights::LightSettings& settings)
{
    app.windows.setProperty(
        window, 组合框输出, ui::prop::comboBox::selection, settings.enabled ? outputOn : outputOff);
    setBox(app, 编辑框宇宙, settings.universe);
    setBox(app, 编辑框渐变, settings.fadeMillis);
    for (int lamp = 1; lamp <= lights::lampCount; ++lamp) {
        const lights::LampLevels& levels = settings.lamps[lamp - 1];
        const LampBoxes& boxes = lampBoxes[lamp - 1];
        setBox(app, boxes.channel, levels.channel);
        setBox(app, boxes.on, levels.on);
        setBox(app, boxes.off, levels.off);
    }
}

SettingsForm<lights::LightSettings> readWindow(Application& app)
{
    SettingsForm<lights::LightSettings> result;
    lights::LightSettings& settings = result.settings;
    settings.enabled = std::get<std::int32_t>(
                           app.windows.property(window, 组合框输出, ui::prop::comboBox::selection))
        == outputOn;
    if (const auto universe = boxNumber(app, 编辑框宇宙, 1, lights::maxUniverse))
        settings.universe = *universe;
    else
        return { settings, "DMX 宇宙必须是 1 到 32767 之间的整数！" };
    if (const auto fade = boxNumber(app, 编辑框渐变, 0, lights::maxFadeMillis))
        settings.fadeMillis = *fade;
    else
        return { settings, "渐变时间必须是 0 到 2000 之间的整数（毫秒）！" };
    for (int lamp = 1; lamp <= lights::lampCount; ++lamp) {
        const LampBoxes& boxes = lampBoxes[lamp - 1];
        lights::LampLevels& levels = settings.lamps[lamp - 1];
        const std::string name = "第 " + std::to_string(lamp) + " 路";
        const auto channel = boxNumber(app, boxes.channel, 1, lights::dmxChannelCount);
        if (!channel)
            return { settings, name + "的 DMX 通道必须是 1 到 512 之间的整数！" };
        const auto on = boxNumber(app, boxes.on, 0, 255);
        if (!on)
            return { settings, name + "的亮度必须是 0 到 255 之间的整数！" };
        const auto off = boxNumber(app, boxes.off, 0, 255);
        if (!off)
            return { settings, name + "的灭时亮度必须是 0 到 255 之间的整数！" };
        levels = { *channel, static_cast<std::uint8_t>(*on), static_cast<std::uint8_t>(*off) };
    }
    return result;
}

void showStatus(Application& app)
{
    const bool connected = app.lightOutput && app.lightOutput->connected();
    const char* text = connected ? "已连接" : app.lightOutput ? "未连接" : "未连接（输出未开启）";
    app.windows.setProperty(window, 标签状态, ui::prop::label::caption, Text(text));
    app.windows.setProperty(window, 标签状态, ui::prop::label::textColour,
        connected ? connectedColour : notConnectedColour);
}

} // namespace

namespace handlers {

HandlerResult openLightOutputSettings(Application& app, HandlerArgs)
{
    app.windows.loadWindow(window, true);
    return std::nullopt;
}

HandlerResult fillLightOutputSettings(Application& app, HandlerArgs)
{
    showSettings(app, lights::readLightSettings(settingsPath(app)));
    showStatus(app);
    return std::nullopt;
}

HandlerResult saveLightOutputSettings(Application& app, HandlerArgs)
{
    if (refusedInReadOnlyHall(app))
        return std::nullopt;
    const auto settings = acceptedSettings(app, readWindow(app));
    if (!settings)
        return std::nullopt;
    app.runtime.messageBox(lights::writeLightSettings(settingsPath(app), *settings)
            ? "保存成功！重新启动程序后生效。"
            : "保存失败！",
        0);
    return std::nullopt;
}

HandlerResult testLightOutput(Application& app, HandlerArgs)
{
    for (int lamp = 1; lamp <= lights::lampCount; ++lamp) {
        app.lightTestSteps.press(app, lamp, true);
        app.lightTestSteps.press(app, lamp, false, testLitMillis);
    }
    return std::nullopt;
}

HandlerResult showLightOutputStatus(Application& app, HandlerArgs)
{
    showStatus(app);
    return std::nullopt;
}

} // namespace handlers
} // namespace app
