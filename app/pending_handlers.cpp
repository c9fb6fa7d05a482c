// Handlers the templates bind whose work is not written yet: each accepts its event and does
// nothing, so every binding reaches a handler. A handler leaves this file for its topic's file
// when its work is written.

#include "app/handler_table.h"

namespace app::handlers {

#define NOTHING_YET(name)                                                                          \
    HandlerResult name(Application&, HandlerArgs)                                                  \
    {                                                                                              \
        return std::nullopt;                                                                       \
    }

NOTHING_YET(openOpeningTimeDialog)
NOTHING_YET(cancelOpening)
NOTHING_YET(refreshStyleStatus)
NOTHING_YET(timeLimitFadeOut)
NOTHING_YET(fadeInTick)
NOTHING_YET(openingCheck)
NOTHING_YET(fillOpeningTimeChoices)
NOTHING_YET(confirmOpening)
NOTHING_YET(closeOpeningTimeDialog)

#undef NOTHING_YET

} // namespace app::handlers
