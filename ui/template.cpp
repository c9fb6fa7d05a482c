#include "ui/template.h"

#include <algorithm>

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

} // namespace ui
