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
    release(globals.playing.path);
    release(globals.playing.style);
    globals.currentStyle.set({});
    std::vector<Text>().swap(globals.playQueue);
    std::vector<std::int32_t>().swap(globals.playQueueRecords);
    release(globals.styleStatus.appliedStyle);
    release(globals.chosenStyle);
    for (Text& state : globals.channelState)
        release(state);
    release(globals.opening.hourText);
    release(globals.opening.minuteText);
    release(globals.showNameSource);
}

} // namespace app
