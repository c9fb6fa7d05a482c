// The main window's transport buttons, the double-click on the slot tree and the track
// player's progress feedback on the play-state line.

#include "app/handler_table.h"
#include "app/playback.h"

namespace app::handlers {

HandlerResult trackProgress(Application& app, HandlerArgs args)
{
    // A report without a serial cannot be told from a stale one.
    if (args.size() >= 2)
        followProgress(app, args[0], args[1]);
    return 0;
}

HandlerResult play(Application& app, HandlerArgs)
{
    playShow(app);
    return std::nullopt;
}

HandlerResult pause(Application& app, HandlerArgs)
{
    pausePlayback(app);
    return std::nullopt;
}

HandlerResult stop(Application& app, HandlerArgs)
{
    stopPlayback(app);
    return std::nullopt;
}

HandlerResult previousTrack(Application& app, HandlerArgs)
{
    goToPreviousTrack(app);
    return std::nullopt;
}

HandlerResult nextTrack(Application& app, HandlerArgs)
{
    goToNextTrack(app);
    return std::nullopt;
}

HandlerResult changeTrack(Application& app, HandlerArgs)
{
    changeToSelectedTrack(app);
    return std::nullopt;
}

} // namespace app::handlers
