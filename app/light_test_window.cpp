// The light test window: the operator switches each indicator channel by hand. The steps run
// on the interface thread, so each button holds the interface for its 50 ms waits.

#include "app/application.h"
#include "app/handler_table.h"
#include "app/light_program.h"

#include "ui/templates/window_ids.h"

namespace app::handlers {

HandlerResult openLightTest(Application& app, HandlerArgs)
{
    app.windows.loadWindow(ids::LightTestWindow::window, true);
    return std::nullopt;
}

#define CHANNEL_BUTTONS(n)                                                                         \
    HandlerResult lightOn##n(Application& app, HandlerArgs)                                        \
    {                                                                                              \
        app::lightOn(app, n);                                                                      \
        return std::nullopt;                                                                       \
    }                                                                                              \
    HandlerResult lightOff##n(Application& app, HandlerArgs)                                       \
    {                                                                                              \
        app::lightOff(app, n);                                                                     \
        return std::nullopt;                                                                       \
    }

CHANNEL_BUTTONS(1)
CHANNEL_BUTTONS(2)
CHANNEL_BUTTONS(3)
CHANNEL_BUTTONS(4)
CHANNEL_BUTTONS(5)
CHANNEL_BUTTONS(6)
CHANNEL_BUTTONS(7)
CHANNEL_BUTTONS(8)
CHANNEL_BUTTONS(9)
CHANNEL_BUTTONS(10)
CHANNEL_BUTTONS(11)
CHANNEL_BUTTONS(12)
CHANNEL_BUTTONS(13)
CHANNEL_BUTTONS(14)
CHANNEL_BUTTONS(15)
CHANNEL_BUTTONS(16)

#undef CHANNEL_BUTTONS

HandlerResult allLightsOn(Application& app, HandlerArgs)
{
    app::allLightsOn(app);
    return std::nullopt;
}

HandlerResult allLightsOff(Application& app, HandlerArgs)
{
    app::allLightsOff(app);
    return std::nullopt;
}

} // namespace app::handlers
