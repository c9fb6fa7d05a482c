// Every built-in unit in one table: its properties (number, type, initial value and, where
// writing does more than store, its own accessors) and its property block, in block order.

#include "ui/component_state.h"
#include "ui/item_models.h"
#include "ui/unit_info.h"
#include "ui/unit_properties.h"

#include <algorithm>

namespace ui {
namespace {

using Kind = BlockField::Kind;

PropertyInfo integer(int number, std::int32_t initial = 0)
{
    return { number, PropertyType::Integer, initial };
}
PropertyInfo choice(int number, std::int32_t initial = 0)
{
    return { number, PropertyType::Choice, initial };
}
PropertyInfo colour(int number, std::int32_t initial)
{
    return { number, PropertyType::Colour, initial };
}
PropertyInfo logical(int number, bool initial = false)
{
    return { number, PropertyType::Logical, initial };
}
PropertyInfo text(int number)
{
    return { number, PropertyType::Text, Text {} };
}
PropertyInfo bytes(int number)
{
    return { number, PropertyType::Bytes, Bytes {} };
}
PropertyInfo font(int number)
{
    return { number, PropertyType::Font, Font {} };
}

// The selection index of a list-like unit, -1 for none.
PropertyInfo selection(int number)
{
    return { number, PropertyType::Integer, std::int32_t(-1),
        [](const ComponentState& s) -> Value { return s.selection; },
        [](ComponentState& s, const Value& v) { selectIndex(s, std::get<std::int32_t>(v)); } };
}

BlockField version(int number)
{
    return { Kind::Version, number };
}
BlockField field(int property)
{
    return { Kind::Property, property };
}
BlockField spare(int dwords)
{
    return { Kind::SpareDwords, dwords };
}
BlockField spareText()
{
    return { Kind::SpareText };
}

constexpr std::int32_t black = 0;
constexpr std::int32_t white = rgb(255, 255, 255);

UnitInfo windowUnit()
{
    namespace p = prop::window;
    PropertyInfo state { p::state, PropertyType::Choice, std::int32_t(0),
        // Only minimized and maximized are reported; "centred" is a way of opening.
        [](const ComponentState& s) -> Value {
            auto value = s.value<std::int32_t>(p::state);
            return value == windowState::minimized || value == windowState::maximized
                ? value
                : windowState::normal;
        } };
    return { unit::window, "window", true, true,
        { text(p::caption), choice(p::borderStyle, 2), colour(p::backColour, buttonFaceColour),
            bytes(p::backPicture), choice(p::pictureMode), bytes(p::icon), bytes(p::backSound),
            logical(p::systemMenu, true), logical(p::maxButton), logical(p::minButton), state,
            logical(p::movable, true) },
        { version(6), field(p::borderStyle), field(p::pictureMode), field(p::backColour),
            field(p::maxButton), field(p::minButton), field(p::systemMenu), field(p::state),
            field(p::movable), spare(11), spareText(), field(p::backPicture), field(p::icon),
            field(p::backSound), field(p::caption), spareText() } };
}

UnitInfo labelUnit()
{
    namespace p = prop::label;
    return { unit::label, "Label", true, true,
        { text(p::caption), choice(p::effect), choice(p::borderStyle), integer(p::gradientWidth, 8),
            colour(p::gradientColour1, black), colour(p::gradientColour2, black),
            colour(p::gradientColour3, black), font(p::font), colour(p::textColour, black),
            colour(p::backColour, buttonFaceColour), bytes(p::backPicture) },
        { version(2), field(p::effect), field(p::gradientWidth), field(p::borderStyle),
            field(p::gradientColour1), field(p::gradientColour2), field(p::gradientColour3),
            field(p::textColour), field(p::backColour), spare(8), field(p::font),
            field(p::backPicture), field(p::caption), spareText(), spareText() } };
}

UnitInfo timerUnit()
{
    PropertyInfo interval { prop::timer::interval, PropertyType::Integer, std::int32_t(0), nullptr,
        [](ComponentState& s, const Value& v) {
            s.values[prop::timer::interval] = std::max(std::get<std::int32_t>(v), 0);
        } };
    return { unit::timer, "Timer", false, true, { interval },
        { version(1), field(prop::timer::interval) } };
}

UnitInfo superBarUnit()
{
    namespace p = prop::superBar;
    PropertyInfo position { p::position, PropertyType::Integer, std::int32_t(0), nullptr,
        [](ComponentState& s, const Value& v) {
            auto low = s.value<std::int32_t>(p::minimum);
            auto high = std::max(low, s.value<std::int32_t>(p::maximum));
            s.values[p::position] = std::clamp(std::get<std::int32_t>(v), low, high);
        } };
    return { unit::superBar, "SuperBar", true, true,
        { integer(p::minimum), integer(p::maximum, 100), colour(p::barColour, rgb(0, 96, 192)),
            colour(p::backColour, buttonFaceColour), bytes(p::picture), position },
        { version(1), field(p::minimum), field(p::maximum), field(p::barColour),
            field(p::backColour), field(p::picture), field(p::position) } };
}

std::vector<UnitInfo> builtinUnits()
{
    std::vector<UnitInfo> units { windowUnit(), labelUnit(), timerUnit(), superBarUnit() };
    {
        namespace p = prop::transLabel;
        units.push_back({ unit::transLabel, "TransLabel", true, true,
            { text(p::caption), colour(p::textColour, black), font(p::font) },
            { version(1), field(p::textColour), field(p::font), field(p::caption) } });
    }
    {
        namespace p = prop::editBox;
        units.push_back({ unit::editBox, "EditBox", true, true,
            { text(p::content), choice(p::borderStyle, 1), colour(p::textColour, black),
                colour(p::backColour, white), font(p::font) },
            { version(1), field(p::borderStyle), field(p::textColour), field(p::backColour),
                field(p::font), field(p::content) } });
    }
    {
        namespace p = prop::groupBox;
        units.push_back({ unit::groupBox, "GroupBox", true, true,
            { text(p::caption), choice(p::alignment), colour(p::textColour, black),
                colour(p::backColour, buttonFaceColour), font(p::font) },
            { version(1), field(p::alignment), field(p::textColour), field(p::backColour),
                field(p::font), field(p::caption) } });
    }
    {
        namespace p = prop::button;
        units.push_back({ unit::button, "Button", true, true, { text(p::caption), font(p::font) },
            { version(1), field(p::font), field(p::caption) } });
    }
    {
        namespace p = prop::superBtn;
        units.push_back({ unit::superBtn, "SuperBtn", true, true,
            { text(p::caption), colour(p::backColour1, buttonFaceColour),
                colour(p::backColour2, buttonFaceColour), colour(p::backColour3, buttonFaceColour),
                bytes(p::picture1), bytes(p::picture2), bytes(p::picture3), font(p::font),
                colour(p::textColour, black) },
            { version(1), field(p::textColour), field(p::backColour1), field(p::backColour2),
                field(p::backColour3), field(p::picture1), field(p::picture2), field(p::font),
                field(p::caption), field(p::picture3) } });
    }
    {
        namespace p = prop::comboBox;
        units.push_back({ unit::comboBox, "ComboBox", true, true,
            { choice(p::style, 1), font(p::font), colour(p::textColour, black),
                colour(p::backColour, white), selection(p::selection) },
            { version(1), field(p::style), field(p::textColour), field(p::backColour),
                field(p::selection), field(p::font), { Kind::Entries } } });
    }
    {
        namespace p = prop::listBox;
        units.push_back({ unit::listBox, "ListBox", true, true,
            { choice(p::borderStyle, 1), font(p::font), colour(p::textColour, black),
                colour(p::backColour, white), selection(p::selection) },
            { version(1), field(p::borderStyle), field(p::textColour), field(p::backColour),
                field(p::selection), field(p::font), { Kind::Entries } } });
    }
    {
        namespace p = prop::treeBox;
        units.push_back({ unit::treeBox, "TreeBox", true, true,
            { choice(p::borderStyle, 1), colour(p::textColour, black), colour(p::backColour, white),
                font(p::font), selection(p::selection) },
            { version(1), field(p::borderStyle), field(p::textColour), field(p::backColour),
                field(p::font) } });
    }
    {
        namespace p = prop::listView;
        units.push_back({ unit::listView, "ListView", true, true,
            { choice(p::borderStyle, 1), colour(p::textColour, black), colour(p::backColour, white),
                font(p::font), selection(p::currentRow) },
            { version(1), field(p::borderStyle), field(p::textColour), field(p::backColour),
                field(p::font), { Kind::Columns } } });
    }
    {
        namespace p = prop::hyperLinker;
        units.push_back({ unit::hyperLinker, "HyperLinker", true, true,
            { text(p::caption), colour(p::textColour, rgb(0, 0, 255)), font(p::font),
                text(p::address) },
            { version(1), field(p::textColour), field(p::font), field(p::caption),
                field(p::address) } });
    }
    {
        namespace p = prop::picBox;
        units.push_back({ unit::picBox, "PicBox", true, true,
            { choice(p::borderStyle), logical(p::stretch), bytes(p::picture) },
            { version(1), field(p::borderStyle), field(p::stretch), field(p::picture) } });
    }
    {
        namespace p = prop::commonDlg;
        units.push_back({ unit::commonDlg, "CommonDlg", false, false,
            { choice(p::kind), text(p::title), text(p::fileName), text(p::filter),
                integer(p::filterIndex), text(p::initialDir), logical(p::keepDirectory) },
            { version(1), field(p::kind), field(p::filterIndex), field(p::keepDirectory),
                field(p::title), field(p::fileName), field(p::filter), field(p::initialDir) } });
    }
    {
        namespace p = prop::monthCalendar;
        units.push_back({ unit::monthCalendar, "MonthCalendar", true, true,
            { choice(p::borderStyle), font(p::font) },
            { version(1), field(p::borderStyle), field(p::font) } });
    }
    units.push_back({ unit::picBtn, "PicBtn", true, true, { bytes(prop::picBtn::picture) },
        { version(1), field(prop::picBtn::picture) } });
    units.push_back({ unit::supperMenu, "SupperMenu", false, false,
        { bytes(prop::supperMenu::picture) }, { version(1), field(prop::supperMenu::picture) } });
    units.push_back({ unit::serialPort, "SerialPort", false, false, {}, {} });
    units.push_back({ unit::sysVolume, "SysVolume", false, false, {}, {} });
    units.push_back({ unit::mediaPlay, "MediaPlay", false, true, {}, {} });
    return units;
}

} // namespace

const PropertyInfo* UnitInfo::property(int number) const
{
    auto it = std::find_if(properties.begin(), properties.end(),
        [&](const PropertyInfo& p) { return p.number == number; });
    return it == properties.end() ? nullptr : &*it;
}

UnitRegistry UnitRegistry::builtin()
{
    UnitRegistry registry;
    for (auto& unit : builtinUnits())
        registry.add(std::move(unit));
    return registry;
}

void UnitRegistry::add(UnitInfo unit)
{
    units_.insert_or_assign(unit.code, std::move(unit));
}

const UnitInfo* UnitRegistry::find(UnitType code) const
{
    auto it = units_.find(code);
    return it == units_.end() ? nullptr : &it->second;
}

std::vector<UnitType> UnitRegistry::codes() const
{
    std::vector<UnitType> codes;
    for (const auto& [code, unit] : units_)
        codes.push_back(code);
    return codes;
}

} // namespace ui
