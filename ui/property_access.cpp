// Reading and writing properties by number: the common properties 0–7 of every component,
// the unit's numbered properties from its table, and the four properties of menu items.

#include "ui/unit_properties.h"
#include "ui/window_system.h"

namespace ui {
namespace {

constexpr PropertyType commonTypes[]
    = { PropertyType::Integer, PropertyType::Integer, PropertyType::Integer, PropertyType::Integer,
          PropertyType::Text, PropertyType::Logical, PropertyType::Logical, PropertyType::Bytes };

// The value converted to the property's type, or nothing when it does not fit. Logicals
// also take integers, normalised to 0 or 1.
std::optional<Value> fitted(PropertyType type, const Value& value)
{
    switch (type) {
    case PropertyType::Integer:
    case PropertyType::Choice:
    case PropertyType::Colour:
        if (std::holds_alternative<std::int32_t>(value))
            return value;
        return std::nullopt;
    case PropertyType::Logical:
        if (auto* number = std::get_if<std::int32_t>(&value))
            return Value(*number != 0);
        if (std::holds_alternative<bool>(value))
            return value;
        return std::nullopt;
    case PropertyType::Text:
        if (std::holds_alternative<Text>(value))
            return value;
        return std::nullopt;
    case PropertyType::Bytes:
        if (std::holds_alternative<Bytes>(value))
            return value;
        return std::nullopt;
    case PropertyType::Font:
        if (std::holds_alternative<Font>(value))
            return value;
        return std::nullopt;
    }
    return std::nullopt;
}

Value readCommon(const ComponentState& c, int number)
{
    switch (number) {
    case prop::left:
        return c.geometry.left;
    case prop::top:
        return c.geometry.top;
    case prop::width:
        return c.geometry.width;
    case prop::height:
        return c.geometry.height;
    case prop::tag:
        return c.tag;
    case prop::visible:
        return c.visible;
    case prop::disabled:
        return c.disabled;
    default:
        return c.cursor;
    }
}

void writeCommon(ComponentState& c, int number, const Value& value)
{
    switch (number) {
    case prop::left:
        c.geometry.left = std::get<std::int32_t>(value);
        break;
    case prop::top:
        c.geometry.top = std::get<std::int32_t>(value);
        break;
    case prop::width:
        c.geometry.width = std::get<std::int32_t>(value);
        break;
    case prop::height:
        c.geometry.height = std::get<std::int32_t>(value);
        break;
    case prop::tag:
        c.tag = std::get<Text>(value);
        break;
    case prop::visible:
        c.visible = std::get<bool>(value);
        break;
    case prop::disabled:
        c.disabled = std::get<bool>(value);
        break;
    default:
        c.cursor = std::get<Bytes>(value);
    }
}

// The common properties of a component of a window that is not loaded live in its template.
void writeCommon(ComponentTemplate& t, int number, const Value& value)
{
    ComponentState c;
    c.geometry = t.geometry;
    writeCommon(c, number, value);
    t.geometry = c.geometry;
    if (number == prop::tag)
        t.tag = c.tag;
    if (number == prop::cursor)
        t.cursor = c.cursor;
    if (number == prop::visible || number == prop::disabled) {
        std::uint32_t bit = number == prop::visible ? itemFlag::visible : itemFlag::disabled;
        bool on = std::get<bool>(value);
        t.flags = on ? t.flags | bit : t.flags & ~bit;
    }
}

Value readCommon(const ComponentTemplate& t, int number)
{
    ComponentState c;
    c.geometry = t.geometry;
    c.tag = t.tag;
    c.cursor = t.cursor;
    c.visible = t.flags & itemFlag::visible;
    c.disabled = t.flags & itemFlag::disabled;
    return readCommon(c, number);
}

std::optional<Value> readMenu(const MenuItemState& m, int number)
{
    switch (number) {
    case menuProp::caption:
        return m.caption;
    case menuProp::checked:
        return m.checked;
    case menuProp::disabled:
        return m.disabled;
    case menuProp::visible:
        return !m.hidden;
    default:
        return std::nullopt;
    }
}

bool writeMenu(MenuItemState& m, int number, const Value& value)
{
    const auto* flag = std::get_if<bool>(&value);
    if (number == menuProp::caption && std::holds_alternative<Text>(value))
        m.caption = std::get<Text>(value);
    else if (number == menuProp::checked && flag)
        m.checked = *flag;
    else if (number == menuProp::disabled && flag)
        m.disabled = *flag;
    else if (number == menuProp::visible && flag)
        m.hidden = !*flag;
    else
        return false;
    return true;
}

} // namespace

Value WindowSystem::property(WindowId window, ComponentId component, int number)
{
    const char* error = nullptr;
    std::optional<Value> result;
    {
        Lock lock(mutex_);
        LoadedWindow* loaded = findLocked(window);
        const WindowTemplate* tmpl = templates_.window(window);
        if (!loaded) {
            const ComponentTemplate* item = !tmpl ? nullptr
                : component == 0                  ? &tmpl->components.front()
                                                  : tmpl->component(component);
            if (!item)
                error = errorText::windowNotLoadedForAccess;
            else if (number < 0 || number >= prop::firstUnit)
                error = errorText::controlNotCreated;
            else
                result = readCommon(*item, number);
        } else if (const MenuItemState* menu = loaded->menuItem(component)) {
            result = readMenu(*menu, number);
            error = result ? nullptr : errorText::unknownProperty;
        } else if (const ComponentState* state = loaded->component(component)) {
            const PropertyInfo* info = units_.find(state->unit)->property(number);
            if (number >= 0 && number < prop::firstUnit)
                result = readCommon(*state, number);
            else if (!info)
                error = errorText::unknownProperty;
            else
                result = info->get ? info->get(*state) : state->values.at(number);
        } else {
            error = errorText::windowNotLoadedForAccess;
        }
    }
    if (error)
        raise(error);
    return std::move(*result);
}

void WindowSystem::setProperty(
    WindowId window, ComponentId component, int number, const Value& value)
{
    // A thread asked to stop ends here rather than write after its cancellation.
    if (loop().clock().stopRequested())
        throw platform::ThreadCancelled {};
    const char* error = nullptr;
    ComponentId refreshed = component;
    bool timerChanged = false, visibilityChanged = false;
    {
        Lock lock(mutex_);
        LoadedWindow* loaded = findLocked(window);
        WindowTemplate* tmpl = templates_.window(window);
        if (!loaded) {
            ComponentTemplate* item = !tmpl ? nullptr
                : component == 0            ? &tmpl->components.front()
                                            : tmpl->component(component);
            auto fits = number >= 0 && number < prop::firstUnit ? fitted(commonTypes[number], value)
                                                                : std::nullopt;
            if (!item)
                error = errorText::windowNotLoadedForAccess;
            else if (number < 0 || number >= prop::firstUnit)
                error = errorText::controlNotCreated;
            else if (!fits)
                error = errorText::wrongPropertyType;
            else
                writeCommon(*item, number, *fits);
            lock.unlock();
            if (error)
                raise(error);
            return;
        }
        if (MenuItemState* menu = loaded->menuItem(component)) {
            if (!readMenu(*menu, number))
                error = errorText::unknownProperty;
            else if (!writeMenu(*menu, number,
                         fitted(number == 0 ? PropertyType::Text : PropertyType::Logical, value)
                             .value_or(Value {})))
                error = errorText::wrongPropertyType;
            refreshed = component;
        } else if (ComponentState* state = loaded->component(component)) {
            refreshed = state->id;
            const PropertyInfo* info = units_.find(state->unit)->property(number);
            bool common = number >= 0 && number < prop::firstUnit;
            auto fits = common ? fitted(commonTypes[number], value)
                : info         ? fitted(info->type, value)
                               : std::nullopt;
            if (!common && !info)
                error = errorText::unknownProperty;
            else if (!fits)
                error = errorText::wrongPropertyType;
            else if (common) {
                visibilityChanged = number == prop::visible && state->unit == unit::window
                    && state->visible != std::get<bool>(*fits);
                writeCommon(*state, number, *fits);
            } else if (info->set)
                info->set(*state, *fits);
            else
                state->values[number] = *fits;
            timerChanged = !error && state->unit == unit::timer && number == prop::timer::interval;
        } else {
            error = errorText::windowNotLoadedForAccess;
        }
    }
    if (error)
        raise(error);
    onInterfaceThread([this, window, refreshed, number, timerChanged, visibilityChanged] {
        if (visibilityChanged) {
            bool shown = std::get<bool>(property(window, refreshed, prop::visible));
            raiseWindowEvent(window, shown ? windowEvent::showing : windowEvent::hiding);
        }
        if (timerChanged)
            applyTimer(window, refreshed);
        refreshView(window, refreshed, number);
    });
}

} // namespace ui
