#include "app/handler_table.h"

namespace app {

ui::HandlerTable bindHandlers(Application& app)
{
    return {
#define HANDLER(name) [&app](HandlerArgs args) { return handlers::name(app, args); },
#include "app/handlers.def"
#undef HANDLER
    };
}

} // namespace app
