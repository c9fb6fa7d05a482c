#include "app/remote_settings.h"

#include "app/application.h"
#include "app/remote_commands.h"
#include "app/show_tables.h"

#include "platform/encoding.h"
#include "runtime/ini_file.h"

#include <charconv>
#include <random>

namespace app {
namespace {

constexpr char section[] = "remote";

Text settingsPath(const Application& app)
{
    return dataFilePath(app, remoteSettingsFile);
}

bool flag(const Text& value)
{
    return value == "1";
}

std::uint16_t portOf(const Text& text)
{
    unsigned port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535)
        return defaultRemotePort;
    return static_cast<std::uint16_t>(port);
}

} // namespace

bool isPin(std::string_view text)
{
    return text.size() == 6 && text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::string randomPin()
{
    std::random_device source;
    std::uniform_int_distribution<int> digit(0, 9);
    std::string pin;
    for (int k = 0; k < 6; ++k)
        pin += static_cast<char>('0' + digit(source));
    return pin;
}

RemoteSettings loadRemoteSettings(Application& app)
{
    const Text file = settingsPath(app);
    auto read
        = [&](const char* key) { return runtime::readIniEntry(file, section, key, {}, app.files); };
    RemoteSettings settings;
    settings.enabled = flag(read("enabled"));
    settings.server.port = portOf(read("port"));
    settings.server.allowLan = flag(read("lan"));
    settings.server.marqueeNeedsPin = flag(read("marqueePin"));
    settings.server.pin = read("pin");
    if (!isPin(settings.server.pin)) {
        settings.server.pin = randomPin();
        // Unsaved, the PIN still holds for this run; the next start makes another.
        if (!app.hallReadOnly)
            (void)runtime::writeIniEntry(
                file, section, Text("pin"), settings.server.pin, app.files);
    }
    return settings;
}

bool saveRemoteSettings(Application& app, const RemoteSettings& settings)
{
    return runtime::writeIniSection(settingsPath(app), section,
        { { "enabled", settings.enabled ? "1" : "0" },
            { "port", std::to_string(settings.server.port) },
            { "lan", settings.server.allowLan ? "1" : "0" }, { "pin", settings.server.pin },
            { "marqueePin", settings.server.marqueeNeedsPin ? "1" : "0" } },
        app.files);
}

void applyRemoteSettings(Application& app)
{
    app.remoteServer.reset();
    const RemoteSettings settings = loadRemoteSettings(app);
    if (!settings.enabled || !app.remoteServers)
        return;
    if (!app.remoteHost)
        app.remoteHost = std::make_unique<RemoteHost>(app);
    std::unique_ptr<ui::RemoteServer> server = app.remoteServers(*app.remoteHost);
    if (const std::optional<std::string> problem = server->start(settings.server)) {
        app.runtime.messageBox(
            runtime::concatText("遥控服务未能启动：", platform::utf8ToGbk(*problem)), 0);
        return;
    }
    app.remoteServer = std::move(server);
}

} // namespace app
