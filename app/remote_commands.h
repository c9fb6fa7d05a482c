#pragma once
// The remote page's commands, each given to the main window as the input its own control
// takes: a click on 播放/暂停/停止/上一曲/下一曲, a double click on a slot's track in the
// tree or on a saved show in the list. So every rule of those controls holds for the remote
// too: a dialog that blocks the window blocks the remote, a show with unsaved changes asks
// before it goes. Interface thread only.

#include "ui/remote_control.h"

namespace app {

class Application;

[[nodiscard]] ui::RemoteAnswer runRemoteCommand(Application& app, const ui::RemoteCommand& command);

// The application as the remote server sees it.
class RemoteHost final : public ui::RemoteHost {
public:
    explicit RemoteHost(Application& app)
        : app_(app)
    {
    }
    [[nodiscard]] std::string stateJson() override;
    [[nodiscard]] std::int64_t now() override;
    // Busy while a command of the remote is still running: a question it asked runs the
    // event loop, and a second command must not start inside the first.
    [[nodiscard]] ui::RemoteAnswer run(const ui::RemoteCommand& command) override;

private:
    Application& app_;
    bool running_ = false;
};

} // namespace app
