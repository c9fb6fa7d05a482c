#pragma once
// The window templates as read from the template segment: what each window, component and
// menu item looks like before it is loaded. Not the live state of a loaded window (Window).

#include "ui/ids.h"
#include "ui/value.h"

#include <cstdint>
#include <map>
#include <vector>

namespace ui {

struct Geometry {
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Geometry&) const = default;
};

struct Column {
    Text header;
    std::int32_t width = 0;
    bool operator==(const Column&) const = default;
};

// The unit-specific part of a component's template. present=false: the block is empty and the
// unit's defaults apply.
struct PropertyBlock {
    bool present = false;
    std::map<int, Value> values; // unit properties by number
    std::vector<Text> entries; // combo box items
    std::vector<Column> columns; // list view columns
};

// handler: index into the application's handler table, -1 for none.
struct EventBinding {
    std::int32_t event = 0;
    std::int32_t handler = -1;
    bool operator==(const EventBinding&) const = default;
};

namespace itemFlag {
constexpr std::uint32_t visible = 1, disabled = 2, takesFocus = 4;
}
namespace menuFlag {
constexpr std::uint32_t hidden = 1, disabled = 2, checked = 4;
}

struct ComponentTemplate {
    ComponentId id = 0;
    UnitType unit = 0;
    Text name, remark;
    Geometry geometry;
    ComponentId parent = 0; // the containing group box, 0 for the client area
    std::vector<ComponentId> children;
    Bytes cursor; // 4 bytes with a system cursor id, or empty for the default
    Text tag;
    std::uint32_t flags = itemFlag::visible;
    std::uint32_t tabOrder = 0;
    std::vector<EventBinding> events;
    PropertyBlock block;
};

struct MenuItemTemplate {
    ComponentId id = 0;
    Text name, remark;
    std::uint32_t shortcut = 0;
    std::uint32_t level = 0; // 0 top-level entry, 1 entry of the preceding top-level pop-up
    std::uint32_t flags = 0;
    Text caption;
    std::int32_t handler = -1;
};

struct WindowTemplate {
    WindowId id = 0;
    std::uint32_t secondId = 0;
    // components[0] is the window's own item.
    std::vector<ComponentTemplate> components;
    std::vector<MenuItemTemplate> menuItems;

    const ComponentTemplate* component(ComponentId id) const;
    ComponentTemplate* component(ComponentId id);
};

struct Segment {
    std::vector<WindowTemplate> windows;
    const WindowTemplate* window(WindowId id) const;
    WindowTemplate* window(WindowId id);
};

} // namespace ui
