#pragma once
// The remote control's settings in the hall folder's remote.ini: whether the server runs, its
// port, whether it listens beyond this computer, the PIN and whether the marquee needs it.
// The PIN is made at random the first time the settings are read without one, so no two halls
// share it and none is ever open with a well-known PIN. Interface thread only.

#include "ui/remote_control.h"

#include <string_view>

namespace app {

class Application;

inline constexpr std::string_view remoteSettingsFile = "remote.ini";
inline constexpr std::uint16_t defaultRemotePort = 8080;

struct RemoteSettings {
    bool enabled = false;
    ui::RemoteServerSettings server;
};

// The saved settings; a PIN made and saved when the file has none that is six digits. A port
// outside 1…65535 reads as the default.
[[nodiscard]] RemoteSettings loadRemoteSettings(Application& app);
// False when the file could not be written.
[[nodiscard]] bool saveRemoteSettings(Application& app, const RemoteSettings& settings);
[[nodiscard]] bool isPin(std::string_view text);
[[nodiscard]] std::string randomPin();

// Starts the server when the settings enable it and the program has one, replacing a running
// one; stops it otherwise. A server that cannot listen is named to the operator.
void applyRemoteSettings(Application& app);

} // namespace app
