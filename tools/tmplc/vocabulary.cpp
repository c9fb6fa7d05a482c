#include "tools/tmplc/vocabulary.h"

#include "ui/event_record.h"
#include "ui/unit_properties.h"

#include <algorithm>
#include <charconv>

namespace tmplc {
namespace {

struct Word {
    ui::UnitType unit; // 0: every unit
    std::string_view name;
    int number;
};

namespace p = ui::prop;
using namespace ui::unit;

// clang-format off
constexpr Word propertyWords[] = {
    { window, "caption", p::window::caption }, { window, "border", p::window::borderStyle },
    { window, "background", p::window::backColour },
    { window, "picture", p::window::backPicture },
    { window, "picture-mode", p::window::pictureMode }, { window, "icon", p::window::icon },
    { window, "sound", p::window::backSound }, { window, "system-menu", p::window::systemMenu },
    { window, "max-button", p::window::maxButton }, { window, "min-button", p::window::minButton },
    { window, "state", p::window::state }, { window, "movable", p::window::movable },

    { label, "caption", p::label::caption }, { label, "effect", p::label::effect },
    { label, "border", p::label::borderStyle }, { label, "gradient-width", p::label::gradientWidth },
    { label, "gradient1", p::label::gradientColour1 },
    { label, "gradient2", p::label::gradientColour2 },
    { label, "gradient3", p::label::gradientColour3 }, { label, "font", p::label::font },
    { label, "colour", p::label::textColour }, { label, "background", p::label::backColour },
    { label, "picture", p::label::backPicture },

    { transLabel, "caption", p::transLabel::caption },
    { transLabel, "colour", p::transLabel::textColour }, { transLabel, "font", p::transLabel::font },

    { editBox, "text", p::editBox::content }, { editBox, "border", p::editBox::borderStyle },
    { editBox, "colour", p::editBox::textColour },
    { editBox, "background", p::editBox::backColour }, { editBox, "font", p::editBox::font },

    { timer, "interval", p::timer::interval },

    { groupBox, "caption", p::groupBox::caption }, { groupBox, "align", p::groupBox::alignment },
    { groupBox, "colour", p::groupBox::textColour },
    { groupBox, "background", p::groupBox::backColour }, { groupBox, "font", p::groupBox::font },

    { button, "caption", p::button::caption }, { button, "font", p::button::font },

    { superBtn, "caption", p::superBtn::caption }, { superBtn, "colour", p::superBtn::textColour },
    { superBtn, "background1", p::superBtn::backColour1 },
    { superBtn, "background2", p::superBtn::backColour2 },
    { superBtn, "background3", p::superBtn::backColour3 },
    { superBtn, "picture1", p::superBtn::picture1 }, { superBtn, "picture2", p::superBtn::picture2 },
    { superBtn, "picture3", p::superBtn::picture3 }, { superBtn, "font", p::superBtn::font },

    { comboBox, "style", p::comboBox::style }, { comboBox, "font", p::comboBox::font },
    { comboBox, "colour", p::comboBox::textColour },
    { comboBox, "background", p::comboBox::backColour },
    { comboBox, "selection", p::comboBox::selection },

    { listBox, "border", p::listBox::borderStyle }, { listBox, "font", p::listBox::font },
    { listBox, "colour", p::listBox::textColour }, { listBox, "background", p::listBox::backColour },
    { listBox, "selection", p::listBox::selection },

    { treeBox, "border", p::treeBox::borderStyle }, { treeBox, "colour", p::treeBox::textColour },
    { treeBox, "background", p::treeBox::backColour }, { treeBox, "font", p::treeBox::font },

    { listView, "border", p::listView::borderStyle }, { listView, "colour", p::listView::textColour },
    { listView, "background", p::listView::backColour }, { listView, "font", p::listView::font },

    { superBar, "minimum", p::superBar::minimum }, { superBar, "maximum", p::superBar::maximum },
    { superBar, "bar-colour", p::superBar::barColour },
    { superBar, "background", p::superBar::backColour },
    { superBar, "picture", p::superBar::picture }, { superBar, "position", p::superBar::position },

    { hyperLinker, "caption", p::hyperLinker::caption },
    { hyperLinker, "colour", p::hyperLinker::textColour },
    { hyperLinker, "font", p::hyperLinker::font }, { hyperLinker, "address", p::hyperLinker::address },

    { picBox, "border", p::picBox::borderStyle }, { picBox, "stretch", p::picBox::stretch },
    { picBox, "picture", p::picBox::picture },

    { commonDlg, "kind", p::commonDlg::kind }, { commonDlg, "title", p::commonDlg::title },
    { commonDlg, "file-name", p::commonDlg::fileName }, { commonDlg, "filter", p::commonDlg::filter },
    { commonDlg, "filter-index", p::commonDlg::filterIndex },
    { commonDlg, "initial-dir", p::commonDlg::initialDir },
    { commonDlg, "keep-dir", p::commonDlg::keepDirectory },

    { monthCalendar, "border", p::monthCalendar::borderStyle },
    { monthCalendar, "font", p::monthCalendar::font },

    { picBtn, "picture", p::picBtn::picture },
    { supperMenu, "picture", p::supperMenu::picture },
};

// A unit's own event names come first: a tree box's "double-clicked" is its item
// notification (1), not the common mouse event (-3).
constexpr Word eventWords[] = {
    { window, "created", ui::windowEvent::created },
    { window, "may-close", ui::windowEvent::mayClose },
    { window, "destroying", ui::windowEvent::destroying },
    { window, "moved", ui::windowEvent::moved }, { window, "resized", ui::windowEvent::resized },
    { window, "activated", ui::windowEvent::activated },
    { window, "deactivated", ui::windowEvent::deactivated },
    { window, "first-activation", ui::windowEvent::firstActivation },
    { window, "tray", ui::windowEvent::tray }, { window, "showing", ui::windowEvent::showing },
    { window, "hiding", ui::windowEvent::hiding },
    { button, "clicked", 0 }, { superBtn, "clicked", 0 },
    { timer, "tick", 0 },
    { label, "feedback", 0 },
    { listBox, "selection-changed", 0 }, { listBox, "double-clicked", 1 },
    { treeBox, "selection-changed", 0 }, { treeBox, "double-clicked", 1 },
    { treeBox, "edit-starting", 2 }, { treeBox, "edit-ended", 3 },
    { treeBox, "expanding", 4 }, { treeBox, "collapsing", 5 },
    { treeBox, "item-right-down", 6 }, { treeBox, "check-changed", 7 },
    { treeBox, "item-dropped", ui::treeEvent::dropped },
    { listView, "row-changed", 0 }, { listView, "right-clicked", 5 },
    { 0, "left-down", ui::commonEvent::leftDown }, { 0, "left-up", ui::commonEvent::leftUp },
    { 0, "double-clicked", ui::commonEvent::doubleClick },
    { 0, "right-down", ui::commonEvent::rightDown }, { 0, "right-up", ui::commonEvent::rightUp },
    { 0, "mouse-move", ui::commonEvent::mouseMove }, { 0, "focus-in", ui::commonEvent::focusIn },
    { 0, "focus-out", ui::commonEvent::focusOut }, { 0, "key-down", ui::commonEvent::keyDown },
    { 0, "key-up", ui::commonEvent::keyUp }, { 0, "character", ui::commonEvent::character },
    { 0, "wheel", ui::commonEvent::wheel },
};
// clang-format on

template <std::size_t N>
std::optional<int> find(const Word (&words)[N], ui::UnitType unit, std::string_view name)
{
    for (ui::UnitType wanted : { unit, ui::UnitType(0) }) {
        auto it = std::find_if(std::begin(words), std::end(words),
            [&](const Word& w) { return w.unit == wanted && w.name == name; });
        if (it != std::end(words))
            return it->number;
    }
    return std::nullopt;
}

} // namespace

const ui::UnitInfo* unitByName(const ui::UnitRegistry& units, std::string_view name)
{
    for (ui::UnitType code : units.codes())
        if (units.find(code)->name == name)
            return units.find(code);
    return nullptr;
}

std::optional<int> propertyNumber(ui::UnitType unit, std::string_view attribute)
{
    return find(propertyWords, unit, attribute);
}

std::optional<int> eventNumber(ui::UnitType unit, std::string_view name)
{
    if (auto named = find(eventWords, unit, name))
        return named;
    int number = 0;
    auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (error != std::errc {} || end != name.data() + name.size())
        return std::nullopt;
    return number;
}

bool takesFocus(ui::UnitType unit)
{
    return unit == button || unit == superBtn || unit == editBox || unit == comboBox
        || unit == listBox || unit == treeBox || unit == listView;
}

bool showsHandCursor(ui::UnitType unit)
{
    return unit == button || unit == superBtn || unit == editBox || unit == comboBox
        || unit == listBox;
}

} // namespace tmplc
