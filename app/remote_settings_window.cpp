// The 遥控设置 window: the remote control's settings, shown from remote.ini and saved there on
// 确定, which also applies them at once: the server starts, stops or listens anew. A value
// out of range is named to the operator and nothing is written.

#include "app/application.h"
#include "app/handler_table.h"
#include "app/read_only_hall.h"
#include "app/remote_settings.h"
#include "app/settings_form.h"

#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <charconv>

namespace app {
namespace {

using namespace ids::RemoteSettingsWindow;

// The entries of the combo boxes, in this order.
constexpr std::int32_t off = 0, on = 1;

Text boxText(Application& app, ui::ComponentId box)
{
    return std::get<Text>(app.windows.property(window, box, ui::prop::editBox::content));
}

void setBoxText(Application& app, ui::ComponentId box, const Text& text)
{
    app.windows.setProperty(window, box, ui::prop::editBox::content, text);
}

bool chosen(Application& app, ui::ComponentId box)
{
    return std::get<std::int32_t>(app.windows.property(window, box, ui::prop::comboBox::selection))
        == on;
}

void choose(Application& app, ui::ComponentId box, bool value)
{
    app.windows.setProperty(window, box, ui::prop::comboBox::selection, value ? on : off);
}

Text trimmed(const Text& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == Text::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<std::uint16_t> portIn(const Text& text)
{
    unsigned port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || port < 1
        || port > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(port);
}

void showAddress(Application& app, const RemoteSettings& settings)
{
    const Text port = std::to_string(settings.server.port);
    Text text
        = "遥控页 http://127.0.0.1:" + port + "/    字幕屏 http://127.0.0.1:" + port + "/marquee";
    if (!settings.enabled)
        text = "遥控服务未开启";
    app.windows.setProperty(window, 标签地址, ui::prop::label::caption, text);
}

SettingsForm<RemoteSettings> readWindow(Application& app)
{
    SettingsForm<RemoteSettings> result;
    RemoteSettings& settings = result.settings;
    settings.enabled = chosen(app, 组合框服务);
    settings.server.allowLan = chosen(app, 组合框网络);
    settings.server.marqueeNeedsPin = chosen(app, 组合框字幕屏);
    const std::optional<std::uint16_t> port = portIn(trimmed(boxText(app, 编辑框端口)));
    if (!port)
        return { settings, "端口必须是 1 到 65535 之间的整数！" };
    settings.server.port = *port;
    settings.server.pin = trimmed(boxText(app, 编辑框PIN));
    if (!isPin(settings.server.pin))
        return { settings, "PIN 必须是 6 位数字！" };
    return result;
}

} // namespace

namespace handlers {

HandlerResult openRemoteSettings(Application& app, HandlerArgs)
{
    app.windows.loadWindow(window, true);
    return std::nullopt;
}

HandlerResult fillRemoteSettings(Application& app, HandlerArgs)
{
    const RemoteSettings settings = loadRemoteSettings(app);
    choose(app, 组合框服务, settings.enabled);
    choose(app, 组合框网络, settings.server.allowLan);
    choose(app, 组合框字幕屏, settings.server.marqueeNeedsPin);
    setBoxText(app, 编辑框端口, std::to_string(settings.server.port));
    setBoxText(app, 编辑框PIN, settings.server.pin);
    showAddress(app, settings);
    return std::nullopt;
}

HandlerResult newRemotePin(Application& app, HandlerArgs)
{
    setBoxText(app, 编辑框PIN, randomPin());
    return std::nullopt;
}

HandlerResult confirmRemoteSettings(Application& app, HandlerArgs)
{
    if (refusedInReadOnlyHall(app))
        return std::nullopt;
    const auto settings = acceptedSettings(app, readWindow(app));
    if (!settings)
        return std::nullopt;
    if (!saveRemoteSettings(app, *settings)) {
        app.runtime.messageBox("保存失败！", 0);
        return std::nullopt;
    }
    app.windows.close(window, 0);
    applyRemoteSettings(app);
    return std::nullopt;
}

} // namespace handlers
} // namespace app
