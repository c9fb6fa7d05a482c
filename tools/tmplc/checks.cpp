#include "tools/tmplc/checks.h"

#include "tools/tmplc/source_error.h"

#include "ui/unit_info.h"

#include <cstdio>
#include <map>

namespace tmplc {
namespace {

std::string hex(std::uint32_t id)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", id);
    return text;
}

void checkIdsComplete(const WindowSource& window)
{
    int line = window.lineOf(window.tmpl.id);
    if (window.tmpl.components[0].id == 0)
        throw SourceError(window.file, line, "the window has no item id (item 0x0601xxxx)");
    if (window.tmpl.secondId == 0)
        throw SourceError(window.file, line, "the window has no second id (second-id 0x1901xxxx)");
    const ui::Geometry& size = window.tmpl.components[0].geometry;
    if (size.width <= 0 || size.height <= 0)
        throw SourceError(window.file, line, "the window has no size (at <l> <t> <w> <h>)");
}

// One serial counter numbers every object of the program, so no two ids share a serial.
void checkSerialsUnique(const std::vector<WindowSource>& windows)
{
    std::map<std::uint32_t, const WindowSource*> owners;
    for (const WindowSource& window : windows)
        for (const auto& [id, line] : window.lines) {
            auto [it, added] = owners.emplace(id & 0xffff, &window);
            if (!added)
                throw SourceError(window.file, line,
                    "id " + hex(id) + " repeats a serial number used in " + it->second->file);
        }
}

void checkInsideContainers(const WindowSource& window, const ui::UnitRegistry& units)
{
    const auto& components = window.tmpl.components;
    for (std::size_t i = 1; i < components.size(); ++i) {
        const ui::ComponentTemplate& item = components[i];
        if (!units.find(item.unit)->visual)
            continue;
        const ui::ComponentTemplate* container
            = item.parent ? window.tmpl.component(item.parent) : &components[0];
        const ui::Geometry& outer = container->geometry;
        const ui::Geometry& g = item.geometry;
        bool fits = g.left >= 0 && g.top >= 0 && g.width > 0 && g.height > 0
            && g.left + g.width <= outer.width && g.top + g.height <= outer.height;
        if (!fits)
            throw SourceError(window.file, window.lineOf(item.id),
                "geometry " + std::to_string(g.left) + "," + std::to_string(g.top) + ","
                    + std::to_string(g.width) + "," + std::to_string(g.height)
                    + " does not fit inside its container of " + std::to_string(outer.width) + " x "
                    + std::to_string(outer.height));
    }
}

} // namespace

void checkWindows(const std::vector<WindowSource>& windows)
{
    const ui::UnitRegistry units = ui::UnitRegistry::builtin();
    for (const WindowSource& window : windows) {
        checkIdsComplete(window);
        checkInsideContainers(window, units);
    }
    checkSerialsUnique(windows);
}

} // namespace tmplc
