#pragma once
// The one way user actions enter the window system: a view (Qt or headless) reports what the
// user did and Input updates the core's state and raises the events the action means. Every
// action passes the component's dispatch point first, which drops it when the window is
// blocked by a modal window or the component is hidden or disabled. Interface thread only.
// Not for the program's own changes: those go through properties and Commands, which raise
// no user events.

#include "ui/window_system.h"

namespace ui {

// A stretch of an edit box's content, in bytes: the selection, or an empty one at the cursor.
struct TextRange {
    std::size_t start = 0;
    std::size_t length = 0;
};

// Key state of mouse and key events.
namespace keys {
constexpr std::int32_t ctrl = 1, shift = 2, alt = 4;
}
// Codes of the keys the program itself handles.
namespace keyCode {
constexpr std::int32_t enter = 0x0d, escape = 0x1b, space = 0x20, left = 0x25, up = 0x26,
                       right = 0x27, down = 0x28, f2 = 0x71;
}

class Input {
public:
    explicit Input(WindowSystem& core)
        : core_(core)
    {
    }

    // A mouse event -1 … -6 (commonEvent) at client coordinates.
    void mouse(WindowId w, ComponentId c, int event, Point at = {}, std::int32_t keyState = 0);
    // A full left click: press, release and, on buttons, the clicked event.
    void click(WindowId w, ComponentId c, Point at = {});
    // Double click: -3, then the unit's double-click event (list box 1, tree box 1).
    void doubleClick(WindowId w, ComponentId c, Point at = {});
    // Right click: press and release, then the list view's right-clicked event.
    void rightClick(WindowId w, ComponentId c, Point at = {});
    // Right button on a tree item: the item is selected first (tree event 0, by mouse), then
    // tree event 6.
    void rightClickTreeItem(WindowId w, ComponentId tree, std::int32_t index);
    // The user selected an entry, tree item or row (-1: none): the selection changes and the
    // unit's selection event is raised (list box 0, tree box 0 with how, list view 0).
    void select(WindowId w, ComponentId c, std::int32_t index, std::int32_t how = 1);
    // Typing into an edit box: each character raises -11 first; a result of 0 swallows it,
    // another result replaces it. A kept character takes the place of `at` (none: it goes at
    // the end) and the next one follows it.
    void typeText(
        WindowId w, ComponentId c, const Text& text, std::optional<TextRange> at = std::nullopt);
    // Any other change the user made to an edit box's content (deleting, pasting, cutting,
    // undoing). An edit box has no event for it, so this raises none. False when the change
    // was dropped: the view should show the core's content again.
    bool editText(WindowId w, ComponentId c, const Text& content);
    // A key pressed (down) or released on the component that has the focus: event -9 or -10.
    // When that component's handler gives no result (or it has none), the window's own item
    // gets the event too, so keys meant for the whole window work wherever the focus is.
    // True when a handler took the key (gave a result): the control must not act on it too.
    bool key(WindowId w, ComponentId c, bool down, std::int32_t code, std::int32_t keyState = 0);
    void focus(WindowId w, ComponentId c, bool gained);
    void wheel(WindowId w, ComponentId c, std::int32_t steps, std::int32_t keyState = 0);

    // The close box or the desktop asks the window to close; true when it closed.
    bool requestClose(WindowId w);
    // A pop-up menu entry was chosen (MenuEntry::commandId).
    void menuCommand(WindowId w, int commandId);
    // The notification-area icon: 1 left button released, 2 double click, 3 right button.
    void trayEvent(WindowId w, std::int32_t kind);
    // The window was moved or resized by the user: new outer geometry, events 3 and 4.
    void windowGeometry(WindowId w, Geometry geometry);
    // The user minimized (2), maximized (3) or restored (0) the window. The core keeps the
    // state, which property 18 then reads, and raises size changed (4): the client area
    // changed size. Only the event is dropped when the window takes no input.
    void windowState(WindowId w, std::int32_t state);
    // The window became the desktop's active window, or stopped being it.
    void activation(WindowId w, bool active);
    // The user expanded or collapsed a tree item: event 4 (expand) or 5 (collapse) with its
    // index, where a false result cancels. The core keeps the item's flag, so rebuilding the
    // items keeps it, and has the view show its items again. True when the flag changed.
    bool expandTreeItem(WindowId w, ComponentId tree, std::int32_t index, bool expanded);
    // The user dragged tree item `dragged` and dropped it on item `target`: tree event 8 with
    // both indexes. The items stay as they are; what the move means is the handler's to say.
    void dropTreeItem(WindowId w, ComponentId tree, std::int32_t dragged, std::int32_t target);

private:
    // The component's dispatch point; false when the action is dropped.
    [[nodiscard]] bool admits(WindowId w, ComponentId c) const { return !core_.dropsInput(w, c); }
    void raise(WindowId w, ComponentId c, int event, std::vector<std::int32_t> args = {});
    UnitType unitOf(WindowId w, ComponentId c) const;

    WindowSystem& core_;
};

} // namespace ui
