// The main window's keys: Space plays or pauses, Esc stops, Ctrl+← and Ctrl+→ go to the
// previous and next track wherever the focus is; Enter on the slot tree plays the selected
// track, F2 on the show list renames the selected show. Each does what its button or menu
// entry does, through the same handler.

#include "app/application.h"
#include "app/handler_table.h"

#include "ui/input.h"

namespace app::handlers {
namespace {

constexpr std::int32_t noModifier = 0;

// The key code when the event carries exactly these modifiers, else 0.
std::int32_t keyWith(HandlerArgs args, std::int32_t modifiers)
{
    return args.size() >= 2 && args[1] == modifiers ? args[0] : 0;
}

} // namespace

HandlerResult mainWindowKey(Application& app, HandlerArgs args)
{
    const std::int32_t plain = keyWith(args, noModifier);
    const std::int32_t withCtrl = keyWith(args, ui::keys::ctrl);
    if (plain == ui::keyCode::space
        && app.trackPlayer.queryPlayState() == media::PlayState::playing)
        pause(app, {});
    else if (plain == ui::keyCode::space)
        play(app, {});
    else if (plain == ui::keyCode::escape)
        stop(app, {});
    else if (withCtrl == ui::keyCode::left)
        previousTrack(app, {});
    else if (withCtrl == ui::keyCode::right)
        nextTrack(app, {});
    else
        return std::nullopt;
    return 1;
}

HandlerResult slotTreeKey(Application& app, HandlerArgs args)
{
    if (keyWith(args, noModifier) != ui::keyCode::enter)
        return std::nullopt;
    changeTrack(app, {});
    return 1;
}

HandlerResult showListKey(Application& app, HandlerArgs args)
{
    if (keyWith(args, noModifier) != ui::keyCode::f2)
        return std::nullopt;
    renameShow(app, {});
    return 1;
}

} // namespace app::handlers
