#pragma once
// The application's event handlers, declared from the one list in handlers.def, and the
// table that binds them for the window system: entry i is the handler the templates name
// at position i.

#include "ui/event_record.h"

#include <cstdint>
#include <optional>
#include <span>

namespace app {

class Application;

using HandlerArgs = ui::EventArgs;
// A value becomes the event's result; nothing leaves the event's default.
using HandlerResult = std::optional<std::int32_t>;

namespace handlers {
#define HANDLER(name) HandlerResult name(Application& app, HandlerArgs args);
#include "app/handlers.def"
#undef HANDLER
} // namespace handlers

// The handlers in handlers.def order, each bound to app.
ui::HandlerTable bindHandlers(Application& app);

} // namespace app
