#include "ui/template.h"

#include <algorithm>
#include <utility>

namespace ui {

const ComponentTemplate* WindowTemplate::component(ComponentId wanted) const
{
    auto it = std::find_if(components.begin(), components.end(),
        [&](const ComponentTemplate& c) { return c.id == wanted; });
    return it == components.end() ? nullptr : &*it;
}

const WindowTemplate* Segment::window(WindowId wanted) const
{
    auto it = std::find_if(
        windows.begin(), windows.end(), [&](const WindowTemplate& w) { return w.id == wanted; });
    return it == windows.end() ? nullptr : &*it;
}

ComponentTemplate* WindowTemplate::component(ComponentId wanted)
{
    return const_cast<ComponentTemplate*>(std::as_const(*this).component(wanted));
}

WindowTemplate* Segment::window(WindowId wanted)
{
    return const_cast<WindowTemplate*>(std::as_const(*this).window(wanted));
}

} // namespace ui
