#pragma once
// An event on its way from a control to the application's handler, and the handler table.

#include "ui/ids.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace ui {

struct EventRecord {
    WindowId window = 0;
    ComponentId component = 0; // 0: the window's own item
    std::int32_t event = 0;
    std::vector<std::int32_t> args;
    bool hasResult = false; // the handler returned a value
    std::int32_t result = 0;
};

// What a handler is given: the event's arguments in order and the component that raised it, so
// that one handler can serve a row of like components.
class EventArgs {
public:
    EventArgs() = default; // a handler called directly: no arguments, no source
    EventArgs(ComponentId source, std::span<const std::int32_t> values)
        : source_(source)
        , values_(values)
    {
    }
    ComponentId source() const { return source_; }
    [[nodiscard]] std::size_t size() const { return values_.size(); }
    [[nodiscard]] bool empty() const { return values_.empty(); }
    std::int32_t operator[](std::size_t i) const { return values_[i]; }
    auto begin() const { return values_.begin(); }
    auto end() const { return values_.end(); }
    operator std::span<const std::int32_t>() const { return values_; }

private:
    ComponentId source_ = 0;
    std::span<const std::int32_t> values_;
};

// An application handler; a returned value becomes the event's result (nothing for a handler
// that returns none).
using Handler = std::function<std::optional<std::int32_t>(EventArgs args)>;
// Index = the handler offset the templates store. An empty entry handles nothing.
using HandlerTable = std::vector<Handler>;

// Window events.
namespace windowEvent {
constexpr int created = 0, mayClose = 1, destroying = 2, moved = 3, resized = 4, activated = 5,
              deactivated = 6, firstActivation = 8, tray = 9, showing = 10, hiding = 11;
}
// Events of every visible component.
namespace commonEvent {
constexpr int leftDown = -1, leftUp = -2, doubleClick = -3, rightDown = -4, rightUp = -5,
              mouseMove = -6, focusIn = -7, focusOut = -8, keyDown = -9, keyUp = -10,
              character = -11, wheel = -12;
}
// Events of the tree box.
namespace treeEvent {
constexpr int selectionChanged = 0, doubleClicked = 1, expanding = 4, collapsing = 5,
              rightButton = 6, dropped = 8;
}
// Menu choices arrive as command ids: this plus the item's position among the window's menu items.
constexpr int firstMenuCommand = 20000;

} // namespace ui
