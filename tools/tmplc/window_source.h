#pragma once
// One window as its template source describes it: the template the segment will hold, plus
// what only the compiler needs (source names of the items for the id header, source lines
// for error reports).

#include "ui/template.h"

#include <map>
#include <string>
#include <vector>

namespace tmplc {

struct NamedItem {
    std::string name; // UTF-8, as written in the source
    std::uint32_t id = 0;
};

struct WindowSource {
    std::string file;
    std::string name; // the window's role name, e.g. MainWindow
    ui::WindowTemplate tmpl;
    std::vector<NamedItem> items; // components and menu items in item order, without item 0
    std::map<std::uint32_t, int> lines; // every id of the window (window, second, items) → line

    int lineOf(std::uint32_t id) const;
};

} // namespace tmplc
