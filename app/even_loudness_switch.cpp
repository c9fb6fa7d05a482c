// The switch "音量均衡" and its target level in the style settings window: shown as the hall
// folder has them when the window opens, written and taken into use by 应用.

#include "app/application.h"
#include "app/even_loudness.h"
#include "app/handler_table.h"
#include "app/read_only_hall.h"

#include "ui/commands.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <charconv>

namespace app {
namespace {

using namespace ids::StyleSettingsWindow;

constexpr std::int32_t switchOff = 0;
constexpr std::int32_t switchOn = 1;

} // namespace

void showEvenLoudnessSwitch(Application& app)
{
    app.windows.setProperty(window, 组合框均衡, ui::prop::comboBox::selection,
        app.loudnessSettings.enabled ? switchOn : switchOff);
    ui::Commands(app.windows)
        .comboSelectText(window, 组合框目标, std::to_string(app.loudnessSettings.targetLufs));
}

namespace handlers {

HandlerResult saveEvenLoudness(Application& app, HandlerArgs)
{
    if (refusedInReadOnlyHall(app))
        return std::nullopt;
    ui::Commands commands(app.windows);
    LoudnessSettings settings = app.loudnessSettings;
    settings.enabled = std::get<std::int32_t>(
                           app.windows.property(window, 组合框均衡, ui::prop::comboBox::selection))
        == switchOn;
    const Text target = commands.comboItemText(window, 组合框目标,
        std::get<std::int32_t>(
            app.windows.property(window, 组合框目标, ui::prop::comboBox::selection)));
    // The entries are the only choices; none selected keeps the level there was.
    (void)std::from_chars(target.data(), target.data() + target.size(), settings.targetLufs);
    if (!writeLoudnessSettings(app, settings)) {
        app.runtime.messageBox("保存失败！", 0);
        return std::nullopt;
    }
    applyLoudnessSettings(app, settings);
    app.runtime.messageBox("保存成功！", 0);
    return std::nullopt;
}

} // namespace handlers
} // namespace app
