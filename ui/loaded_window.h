#pragma once
// A window while it is loaded: the state of its components and menu items, its view and its
// running timers. Owned by WindowSystem; every field is guarded by the window system's lock
// except view, which only the interface thread touches.

#include "ui/component_state.h"
#include "ui/view.h"

#include "platform/event_loop.h"

#include <map>
#include <memory>

namespace ui {

struct LoadedWindow {
    WindowId id = 0;
    std::vector<ComponentState> components; // item order; [0] is the window's own item
    std::vector<MenuItemState> menuItems;
    std::unique_ptr<WindowView> view;
    // Timers running on the loop, with the interval each was started with.
    std::map<ComponentId, std::pair<platform::TimerId, std::int32_t>> timers;
    int blockedBy = 0; // modal windows open over this one
    bool activatedOnce = false;
    bool active = false; // the last activation raised, so a repeated report raises nothing
    // Set when the window is destroyed; a modal loop waits for it.
    std::shared_ptr<bool> closed = std::make_shared<bool>(false);

    ComponentState* component(ComponentId id);
    MenuItemState* menuItem(ComponentId id);
};

} // namespace ui
