#include "ui/component_state.h"

namespace ui {

ComponentState makeComponentState(const ComponentTemplate& item, const UnitInfo& unit)
{
    ComponentState state;
    state.id = item.id;
    state.unit = item.unit;
    state.name = item.name;
    state.parent = item.parent;
    state.children = item.children;
    state.geometry = item.geometry;
    state.tag = item.tag;
    state.visible = item.flags & itemFlag::visible;
    state.disabled = item.flags & itemFlag::disabled;
    state.takesFocus = item.flags & itemFlag::takesFocus;
    state.cursor = item.cursor;
    state.tabOrder = item.tabOrder;
    state.events = item.events;
    state.entries = item.block.entries;
    state.entryData.assign(state.entries.size(), 0);
    state.columns = item.block.columns;
    for (const PropertyInfo& property : unit.properties) {
        auto given = item.block.values.find(property.number);
        bool fits
            = given != item.block.values.end() && given->second.index() == property.initial.index();
        const Value& value = fits ? given->second : property.initial;
        if (property.set)
            property.set(state, value);
        else
            state.values[property.number] = value;
    }
    return state;
}

MenuItemState makeMenuItemState(const MenuItemTemplate& item)
{
    return MenuItemState { item.id, item.caption, item.level, bool(item.flags & menuFlag::hidden),
        bool(item.flags & menuFlag::disabled), bool(item.flags & menuFlag::checked), item.handler };
}

} // namespace ui
