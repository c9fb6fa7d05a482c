#include "app/globals.h"

namespace app {
namespace {

void release(Text& text)
{
    Text().swap(text);
}

} // namespace

void initGlobals(Globals& globals)
{
    globals = Globals {};
}

void releaseGlobals(Globals& globals)
{
    release(globals.currentTrackPath);
    globals.currentStyle.set({});
    std::vector<Text>().swap(globals.playQueue);
    std::vector<std::int32_t>().swap(globals.playQueueRecords);
    release(globals.appliedStyle);
    release(globals.chosenStyle);
    for (Text& state : globals.channelState)
        release(state);
    release(globals.scheduledHourText);
    release(globals.scheduledMinuteText);
    release(globals.showNameSource);
}

} // namespace app
