// A command from the remote is input to the main window, never a direct call of the playback
// functions, so the window's dispatch point (a modal dialog, a disabled control) and its
// handlers decide what it does exactly as for a click.

#include "app/remote_commands.h"

#include "app/application.h"
#include "app/main_window_roles.h"
#include "app/remote_state.h"
#include "app/show_list.h"
#include "app/show_views.h"

#include "platform/encoding.h"
#include "ui/input.h"

#include <algorithm>

namespace app {
namespace {

using ui::RemoteAnswer;
using Kind = ui::RemoteCommand::Kind;
namespace main = role::main;

RemoteAnswer click(Application& app, ui::ComponentId button)
{
    if (app.windows.dropsInput(main::window, button))
        return RemoteAnswer::busy;
    ui::Input(app.windows).click(main::window, button);
    return RemoteAnswer::done;
}

RemoteAnswer doubleClickItem(Application& app, ui::ComponentId list, std::int32_t index)
{
    if (app.windows.dropsInput(main::window, list))
        return RemoteAnswer::busy;
    ui::Input input(app.windows);
    input.select(main::window, list, index);
    input.doubleClick(main::window, list);
    return RemoteAnswer::done;
}

// As the Space key: pause while a track plays, else play.
RemoteAnswer playOrPause(Application& app)
{
    const bool playing = app.trackPlayer.queryPlayState() == media::PlayState::playing;
    return click(app, playing ? main::暂停按钮 : main::播放按钮);
}

// The tree's item of the slot's track, which a double click plays; slots without a track
// have no queue position and nothing to play.
RemoteAnswer playSlot(Application& app, std::int32_t record)
{
    const std::int32_t position = record > 0 ? queuePositionOfRecord(app, record) : 0;
    const std::int32_t item = position > 0 ? trackItemOfQueuePosition(app, position) : -1;
    if (item < 0)
        return RemoteAnswer::unknown;
    return doubleClickItem(app, role::slotTree, item);
}

RemoteAnswer loadShow(Application& app, const std::string& utf8Name)
{
    const Text name = platform::utf8ToGbk(utf8Name);
    if (name.empty())
        return RemoteAnswer::unknown;
    const std::vector<Text> shows = savedShowNames(app);
    const auto found = std::find(shows.begin(), shows.end(), name);
    if (found == shows.end())
        return RemoteAnswer::unknown;
    return doubleClickItem(
        app, role::savedShowList, static_cast<std::int32_t>(found - shows.begin()));
}

} // namespace

RemoteAnswer runRemoteCommand(Application& app, const ui::RemoteCommand& command)
{
    switch (command.kind) {
    case Kind::playOrPause:
        return playOrPause(app);
    case Kind::stop:
        return click(app, main::停止按钮);
    case Kind::previous:
        return click(app, main::上一首按钮);
    case Kind::next:
        return click(app, main::下一首按钮);
    case Kind::playSlot:
        return playSlot(app, command.slot);
    case Kind::loadShow:
        return loadShow(app, command.show);
    }
    return RemoteAnswer::unknown;
}

ui::RemoteAnswer RemoteHost::run(const ui::RemoteCommand& command)
{
    if (running_)
        return RemoteAnswer::busy;
    running_ = true;
    struct Done {
        bool& running;
        ~Done() { running = false; }
    } done { running_ };
    return runRemoteCommand(app_, command);
}

std::int64_t RemoteHost::now()
{
    return app_.runtime.platform().clock().now();
}

std::string RemoteHost::stateJson()
{
    return remoteStateJson(remoteState(app_));
}

} // namespace app
