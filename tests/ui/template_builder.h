#pragma once
// Small windows for tests, built as templates and turned into segment bytes with the writer.

#include "ui/segment_writer.h"
#include "ui/template.h"

#include <initializer_list>

namespace ui::test {

inline ComponentTemplate component(ComponentId id, UnitType unit, Geometry geometry = {},
    std::vector<EventBinding> events = {}, ComponentId parent = 0)
{
    ComponentTemplate item;
    item.id = id;
    item.unit = unit;
    item.geometry = geometry;
    item.events = std::move(events);
    item.parent = parent;
    return item;
}

inline ComponentTemplate withValues(ComponentTemplate item, std::map<int, Value> values)
{
    item.block.present = true;
    item.block.values = std::move(values);
    return item;
}

inline MenuItemTemplate menuItem(ComponentId id, Text caption, std::uint32_t level,
    std::int32_t handler = -1, std::uint32_t flags = 0)
{
    MenuItemTemplate item;
    item.id = id;
    item.caption = std::move(caption);
    item.level = level;
    item.handler = handler;
    item.flags = flags;
    return item;
}

// A window whose own item has the id ownId and the given events, followed by components.
inline WindowTemplate window(WindowId id, ComponentId ownId, std::vector<EventBinding> events,
    std::vector<ComponentTemplate> components, std::vector<MenuItemTemplate> menus = {})
{
    WindowTemplate window;
    window.id = id;
    window.secondId = 0x19000000 | (id & 0xffff);
    auto own = component(ownId, unit::window, { 50, 50, 400, 300 }, std::move(events));
    window.components.push_back(std::move(own));
    for (auto& item : components)
        window.components.push_back(std::move(item));
    window.menuItems = std::move(menus);
    return window;
}

inline Bytes segmentBytes(std::vector<WindowTemplate> windows)
{
    return writeSegment(Segment { std::move(windows) }, UnitRegistry::builtin());
}

} // namespace ui::test
