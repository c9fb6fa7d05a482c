#pragma once
// The program's windows as the operator's documentation describes them, written down
// independently of the template sources so that a slip in a source shows up as a difference.

#include "ui/ids.h"
#include "ui/template.h"

#include <cstdint>
#include <string>
#include <vector>

namespace app::test {

namespace window {
constexpr ui::WindowId mainWindow = 0x52010001, saveShowDialog = 0x52010402,
                       closingNotice = 0x520108f5, styleSettingsWindow = 0x520109b8,
                       lightTestWindow = 0x52010b7a, styleEditorWindow = 0x52010c25,
                       stylePickDialog = 0x520111e7, openingTimeDialog = 0x520112cc;
}

struct ExpectedWindow {
    ui::WindowId id;
    const char* caption; // a prefix for the main window, whose caption ends in a contact line
    std::int32_t width, height;
    bool minButton;
};

enum Look : unsigned { shown = 0, hidden = 1, disabled = 2 };

struct ExpectedComponent {
    ui::WindowId window;
    ui::ComponentId id;
    std::string name;
    ui::UnitType unit;
    std::string container; // name of the containing group box, empty for the client area
    ui::Geometry geometry; // all zero for components without a control
    unsigned look;
};

// An event of an item (the window's own item is item 0) or a menu entry (event -1).
struct ExpectedBinding {
    ui::WindowId window;
    ui::ComponentId item; // 0: the window itself
    std::int32_t event;
    std::string handler;
};

struct ExpectedMenuItem {
    ui::WindowId window;
    ui::ComponentId id;
    const char* caption;
    std::uint32_t level;
    bool hidden;
};

struct Catalogue {
    std::vector<ExpectedWindow> windows;
    std::vector<ExpectedComponent> components;
    std::vector<ExpectedBinding> bindings;
    std::vector<ExpectedMenuItem> menuItems;
};

const Catalogue& catalogue();

} // namespace app::test
