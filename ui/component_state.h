#pragma once
// The live state of a loaded component or menu item: what its control shows. The window system
// owns it and guards it with its lock; views read copies of it.

#include "ui/template.h"
#include "ui/unit_info.h"

#include <map>
#include <optional>
#include <vector>

namespace ui {

// Common property numbers; unit properties start at 8.
namespace prop {
constexpr int left = 0, top = 1, width = 2, height = 3, tag = 4, visible = 5, disabled = 6,
              cursor = 7;
constexpr int firstUnit = 8;
} // namespace prop

// Values of the window's state: centred is a way of opening, the window then counts as normal.
namespace windowState {
constexpr int normal = 0, centred = 1, minimized = 2, maximized = 3;
}
// Modes of the z-order command.
namespace zOrder {
constexpr int top = 1, bottom = 2, alwaysOnTop = 3, notAlwaysOnTop = 4;
}

// Menu item property numbers.
namespace menuProp {
constexpr int caption = 0, checked = 1, disabled = 2, visible = 3;
}

struct TreeItem {
    Text text;
    int depth = 1; // 1 for a root item
    bool expanded = false;
    // Shown beside the text (a track's length), never part of it: commands read the text only.
    Text note;
    bool operator==(const TreeItem&) const = default;
};

struct ComponentState {
    ComponentId id = 0;
    UnitType unit = 0;
    Text name;
    ComponentId parent = 0;
    std::vector<ComponentId> children;
    Geometry geometry;
    Text tag;
    bool visible = true;
    bool disabled = false;
    Bytes cursor;
    bool takesFocus = false;
    std::uint32_t tabOrder = 0;
    std::vector<EventBinding> events;

    std::map<int, Value> values; // unit properties by number
    std::vector<Text> entries; // combo and list box items
    std::vector<std::int32_t> entryData; // item data, one per entry
    std::vector<TreeItem> tree; // tree items in display order
    std::vector<Column> columns; // list view columns
    std::vector<Text> rows; // list view rows
    std::int32_t selection = -1; // selected entry, tree item or row

    // The unit property's current value; the property must exist and be a stored one.
    template <typename T> const T& value(int number) const
    {
        return std::get<T>(values.at(number));
    }
};

struct MenuItemState {
    ComponentId id = 0;
    Text caption;
    std::uint32_t level = 0;
    bool hidden = false;
    bool disabled = false;
    bool checked = false;
    std::int32_t handler = -1;
};

// The state a component starts with: its template, with the unit's defaults for what the
// template's property block leaves out.
ComponentState makeComponentState(const ComponentTemplate& item, const UnitInfo& unit);
MenuItemState makeMenuItemState(const MenuItemTemplate& item);

} // namespace ui
