// The light test window: the operator switches each indicator channel by hand. The window
// opens beside the lamp panel, so the operator sees the lamps answer; the steps run on the
// light test's worker (light_test_steps.h), so the panel draws each one while the window
// keeps answering.

#include "app/application.h"
#include "app/handler_table.h"
#include "app/main_window_roles.h"

#include "ui/templates/window_ids.h"

#include <algorithm>
#include <array>
#include <optional>

namespace app::handlers {
namespace {

struct Rect {
    std::int32_t left, top, width, height;

    std::int32_t right() const { return left + width; }
    std::int32_t bottom() const { return top + height; }
};

// The frame around a window's client area: its sides and its caption bar above.
constexpr std::int32_t frameSide = 3, frameTop = 22;
// Between the panel and the window: room for a desktop whose frame is a little wider.
constexpr std::int32_t gap = 8;

std::int32_t intProperty(Application& app, ui::WindowId window, ui::ComponentId item, int number)
{
    return std::get<std::int32_t>(app.windows.property(window, item, number));
}

Rect geometry(Application& app, ui::WindowId window, ui::ComponentId item)
{
    return { intProperty(app, window, item, ui::prop::left),
        intProperty(app, window, item, ui::prop::top),
        intProperty(app, window, item, ui::prop::width),
        intProperty(app, window, item, ui::prop::height) };
}

// The lamp panel on the screen: its group box inside the control area's group box, inside the
// main window's client area.
Rect lampPanel(Application& app)
{
    using namespace ids::MainWindow;
    const Rect main = geometry(app, window, self);
    const Rect area = geometry(app, window, 分组框3);
    const Rect panel = geometry(app, window, role::lampPanel);
    return { main.left + frameSide + area.left + panel.left,
        main.top + frameTop + area.top + panel.top, panel.width, panel.height };
}

std::int32_t clamp(std::int32_t value, std::int32_t low, std::int32_t high)
{
    return value < low ? low : value > high ? high : value;
}

// Right of the panel, else left of it, below it, above it: the first place where the whole
// window is on the screen. Nothing when the screen has no such place.
std::optional<ui::Point> besidePanel(
    const Rect& panel, std::int32_t width, std::int32_t height, ui::Point screen)
{
    const std::int32_t top = clamp(panel.top, 0, screen.y - height);
    const std::int32_t left = clamp(panel.left, 0, screen.x - width);
    const std::array<ui::Point, 4> places { ui::Point { panel.right() + gap, top },
        ui::Point { panel.left - gap - width, top }, ui::Point { left, panel.bottom() + gap },
        ui::Point { left, panel.top - gap - height } };
    for (const ui::Point& at : places)
        if (at.x >= 0 && at.y >= 0 && at.x + width <= screen.x && at.y + height <= screen.y)
            return at;
    return std::nullopt;
}

void press(Application& app, std::optional<int> channel, bool on)
{
    app.lightTestSteps.press(app, channel, on);
}

} // namespace

HandlerResult openLightTest(Application& app, HandlerArgs)
{
    app.windows.loadWindow(ids::LightTestWindow::window, true);
    return std::nullopt;
}

// On a screen too small for any place beside the panel, the window stays centred.
HandlerResult placeLightTestWindow(Application& app, HandlerArgs)
{
    using namespace ids::LightTestWindow;
    const Rect own = geometry(app, window, self);
    if (const auto at
        = besidePanel(lampPanel(app), own.width, own.height, app.windows.screenSize())) {
        app.windows.setProperty(window, self, ui::prop::left, at->x);
        app.windows.setProperty(window, self, ui::prop::top, at->y);
    }
    return std::nullopt;
}

namespace {

// Every channel's pair of buttons raises these two handlers; the button says which channel.
using namespace ids::LightTestWindow;
constexpr std::array<ui::ComponentId, 16> onButtons { 超级按钮1路亮, 超级按钮2路亮, 超级按钮3路亮,
    超级按钮4路亮, 超级按钮5路亮, 超级按钮6路亮, 超级按钮7路亮, 超级按钮8路亮, 超级按钮9路亮,
    超级按钮10路亮, 超级按钮11路亮, 超级按钮12路亮, 超级按钮13路亮, 超级按钮14路亮, 超级按钮15路亮,
    超级按钮16路亮 };
constexpr std::array<ui::ComponentId, 16> offButtons { 超级按钮1路灭, 超级按钮2路灭, 超级按钮3路灭,
    超级按钮4路灭, 超级按钮5路灭, 超级按钮6路灭, 超级按钮7路灭, 超级按钮8路灭, 超级按钮9路灭,
    超级按钮10路灭, 超级按钮11路灭, 超级按钮12路灭, 超级按钮13路灭, 超级按钮14路灭, 超级按钮15路灭,
    超级按钮16路灭 };

void pressChannel(Application& app, const std::array<ui::ComponentId, 16>& buttons,
    ui::ComponentId source, bool on)
{
    const auto it = std::find(buttons.begin(), buttons.end(), source);
    if (it != buttons.end())
        press(app, static_cast<int>(it - buttons.begin()) + 1, on);
}

} // namespace

HandlerResult switchLightOn(Application& app, HandlerArgs args)
{
    pressChannel(app, onButtons, args.source(), true);
    return std::nullopt;
}

HandlerResult switchLightOff(Application& app, HandlerArgs args)
{
    pressChannel(app, offButtons, args.source(), false);
    return std::nullopt;
}

HandlerResult allLightsOn(Application& app, HandlerArgs)
{
    press(app, std::nullopt, true);
    return std::nullopt;
}

HandlerResult allLightsOff(Application& app, HandlerArgs)
{
    press(app, std::nullopt, false);
    return std::nullopt;
}

} // namespace app::handlers
