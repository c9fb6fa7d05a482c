#pragma once
// What a platform implements to show loaded windows. A view renders the window system's state
// and is told when it changes; user actions come back through Input. The core calls views on
// the interface thread only and never while holding its lock, so a view may read the state
// (WindowSystem::components and friends) from inside any of these calls.
// Not a place for state: whatever a view shows must be readable from the core.

#include "ui/ids.h"
#include "ui/value.h"

#include <memory>
#include <optional>
#include <vector>

namespace ui {

class WindowSystem;

struct Point {
    std::int32_t x = 0, y = 0;
};

// One entry of a pop-up menu. Choosing it is reported as Input::menuCommand(commandId).
struct MenuEntry {
    int commandId;
    Text caption;
    bool checked = false;
    bool disabled = false;
};

class WindowView {
public:
    virtual ~WindowView() = default; // destroys the window and its controls

    // Shows the window for the first time, after its created event.
    virtual void show() = 0;
    // A property of a component (or of the window, through its own item) changed; property
    // -1: its items changed (entries, tree items, rows).
    virtual void refresh(ComponentId component, int property) = 0;
    virtual void removeComponent(ComponentId component) = 0;
    // Disabled while a modal window of the program is open.
    virtual void setBlocked(bool blocked) = 0;
    virtual void setFocus(ComponentId component) = 0;
    // 1 top, 2 bottom, 3 always on top, 4 no longer always on top.
    virtual void setZOrder(int mode) = 0;
    // at: where to track the menu, in screen coordinates; none: the pointer moved 3 pixels
    // right and down. tray: placed as a notification-area menu (right edge 5 pixels left of
    // and 5 above the pointer, window brought to the foreground first).
    virtual void popupMenu(
        const std::vector<MenuEntry>& entries, std::optional<Point> at, bool tray)
        = 0;
    virtual void ensureVisible(ComponentId tree, std::int32_t index) = 0;
    // An empty icon removes the notification-area icon.
    virtual void setTrayIcon(const Bytes& icon, const Text& tip) = 0;
};

class ViewFactory {
public:
    virtual ~ViewFactory() = default;
    // Builds the hidden window with a control for every component of the loaded window.
    [[nodiscard]] virtual std::unique_ptr<WindowView> createView(
        WindowSystem& core, WindowId window)
        = 0;
    virtual Point screenSize() const = 0;
};

} // namespace ui
