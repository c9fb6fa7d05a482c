// The style settings window: the operator picks a style from the catalogue, sets its sixteen
// light states, switch-off delays, time limit and volume, and saves them as that style's
// section of the style settings file. Nothing is written until 保存 is clicked.

#include "app/application.h"
#include "app/even_loudness.h"
#include "app/handler_table.h"
#include "app/read_only_hall.h"
#include "app/show_tables.h"
#include "app/style_settings_file.h"

#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <algorithm>
#include <array>

namespace app {
namespace {

using namespace ids::StyleSettingsWindow;

constexpr std::array<ui::ComponentId, channelCount> toggles { 标签411, 标签511, 标签611, 标签711,
    标签811, 标签911, 标签1011, 标签1111, 标签1211, 标签1311, 标签1411, 标签1511, 标签1611,
    标签1711, 标签1811, 标签1911 };
constexpr std::array<ui::ComponentId, channelCount> delayBoxes { 编辑框1, 编辑框2, 编辑框3, 编辑框4,
    编辑框5, 编辑框6, 编辑框7, 编辑框8, 编辑框9, 编辑框10, 编辑框11, 编辑框12, 编辑框13, 编辑框14,
    编辑框15, 编辑框16 };

// The catalogue under this window's own alias, so it never clashes with the style chooser's.
constexpr TableName catalogue { tables::styleCatalogue.file, "qfsx" };

constexpr std::int32_t lit = 255; // red
constexpr std::int32_t dark = 0; // black
constexpr char lightOn[] = "1";
constexpr char lightOff[] = "0";
constexpr char overture[] = "序曲"; // has no time limit
constexpr char fullVolume[] = "100";

// The channel's toggle and delay box: lit enables the box, dark disables and empties it.
void showChannel(Application& app, int channel, bool on)
{
    const ui::ComponentId box = delayBoxes.at(channel - 1);
    app.windows.setProperty(
        window, toggles.at(channel - 1), ui::prop::label::backColour, on ? lit : dark);
    app.windows.setProperty(window, box, ui::prop::disabled, !on);
    if (!on)
        app.windows.setProperty(window, box, ui::prop::editBox::content, Text());
}

Text selectedListText(Application& app)
{
    const auto index = std::get<std::int32_t>(
        app.windows.property(window, 列表框1, ui::prop::listBox::selection));
    return ui::Commands(app.windows).listItemText(window, 列表框1, index);
}

Text selectedComboText(Application& app, ui::ComponentId combo)
{
    const auto index = std::get<std::int32_t>(
        app.windows.property(window, combo, ui::prop::comboBox::selection));
    return ui::Commands(app.windows).comboItemText(window, combo, index);
}

// An empty value would match the first entry ("3" minutes, "10" percent), which is not how an
// unset value plays; it selects the entry that shows how it plays instead.
void selectValue(Application& app, ui::ComponentId combo, const Text& value, const char* unset)
{
    ui::Commands(app.windows).comboSelectText(window, combo, value.empty() ? Text(unset) : value);
}

void toggleChannel(Application& app, int channel)
{
    Text& state = app.globals.channelState.at(channel - 1);
    if (state != lightOn && state != lightOff)
        return;
    const bool on = state == lightOff;
    state = Text(on ? lightOn : lightOff);
    showChannel(app, channel, on);
}

} // namespace

namespace handlers {

HandlerResult openStyleSettings(Application& app, HandlerArgs)
{
    app.windows.loadWindow(window, true);
    return std::nullopt;
}

HandlerResult fillStyleChoices(Application& app, HandlerArgs)
{
    ui::Commands commands(app.windows);
    commands.comboSelectText(window, 组合框1, styleKeys::noTimeLimit);
    commands.comboSelectText(window, 组合框2, fullVolume);
    showEvenLoudnessSwitch(app);
    commands.listClear(window, 列表框1);
    OpenTable table(app, catalogue);
    if (!table.isOpen())
        return std::nullopt;
    for (const std::vector<Text>& row : table.readAllTexts({ fields::style }))
        commands.listAddItem(window, 列表框1, row[0]);
    return std::nullopt;
}

HandlerResult loadStyleSettings(Application& app, HandlerArgs)
{
    const Text style = selectedListText(app);
    app.windows.setProperty(window, 组合框1, ui::prop::disabled, style == overture);
    const StyleSettingsTexts settings = readStyleSettings(app, style);
    for (int channel = 1; channel <= channelCount; ++channel) {
        const Text& light = settings.lights[channel - 1];
        if (light != lightOn && light != lightOff)
            continue;
        const bool on = light == lightOn;
        app.globals.channelState[channel - 1] = light;
        showChannel(app, channel, on);
        if (on)
            app.windows.setProperty(window, delayBoxes[channel - 1], ui::prop::editBox::content,
                settings.delays[channel - 1]);
    }
    selectValue(app, 组合框1, settings.timeLimit, styleKeys::noTimeLimit);
    selectValue(app, 组合框2, settings.volume, fullVolume);
    return std::nullopt;
}

HandlerResult saveStyleSettings(Application& app, HandlerArgs)
{
    if (refusedInReadOnlyHall(app))
        return std::nullopt;
    const Text style = selectedListText(app);
    if (style.empty()) {
        app.runtime.messageBox("未选择风格！请重新选择！", 0, Text());
        return std::nullopt;
    }
    StyleSettingsTexts settings;
    settings.lights = app.globals.channelState;
    settings.timeLimit = selectedComboText(app, 组合框1);
    settings.volume = selectedComboText(app, 组合框2);
    for (int channel = 1; channel <= channelCount; ++channel)
        settings.delays[channel - 1] = std::get<Text>(
            app.windows.property(window, delayBoxes[channel - 1], ui::prop::editBox::content));
    app.runtime.messageBox(
        writeStyleSettings(app, style, settings) ? "保存成功！" : "保存失败！", 0);
    return std::nullopt;
}

// Every channel's label raises this one handler; the label says which channel it is.
HandlerResult toggleChannel(Application& app, HandlerArgs args)
{
    const auto it = std::find(toggles.begin(), toggles.end(), args.source());
    if (it != toggles.end())
        app::toggleChannel(app, static_cast<int>(it - toggles.begin()) + 1);
    return std::nullopt;
}

} // namespace handlers
} // namespace app
