#include "tools/tmplc/template_parser.h"

#include "tools/tmplc/property_values.h"
#include "tools/tmplc/source_error.h"
#include "tools/tmplc/vocabulary.h"

#include "platform/encoding.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tmplc {
namespace {

using Tokens = std::span<const Token>;

namespace kind {
constexpr std::uint32_t window = 0x52, windowItem = 0x06, component = 0x16, menuItem = 0x26,
                        secondId = 0x19;
}

// Names become C++ identifiers of the id header; letters beyond ASCII (Chinese names) are
// identifier characters there.
bool isIdentifier(const std::string& name)
{
    return !name.empty() && !(name[0] >= '0' && name[0] <= '9')
        && std::all_of(name.begin(), name.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '_'
                   || static_cast<unsigned char>(c) >= 0x80;
           });
}

class Parser {
public:
    Parser(const std::string& file, std::span<const std::string_view> handlers,
        const ui::UnitRegistry& units, const std::filesystem::path& folder)
        : handlers_(handlers)
        , units_(units)
        , folder_(folder)
    {
        result_.file = file;
    }

    WindowSource parse(const std::vector<SourceLine>& lines)
    {
        for (const SourceLine& line : lines) {
            line_ = line.number;
            Tokens tokens = line.tokens;
            if (line.indented)
                attribute(tokens);
            else
                header(tokens);
        }
        if (result_.name.empty())
            fail("the file describes no window");
        return std::move(result_);
    }

private:
    enum class Section { None, Window, Defaults, Component, Menu };

    [[noreturn]] void fail(const std::string& message) const
    {
        throw SourceError(result_.file, line_, message);
    }
    SourcePlace place() const { return { result_.file, line_, folder_ }; }

    void expectArguments(Tokens tokens, std::size_t low, std::size_t high, const char* form) const
    {
        if (tokens.size() < low || tokens.size() > high)
            fail(std::string("expected: ") + form);
    }

    std::uint32_t id(const Token& token, std::uint32_t wantedKind)
    {
        std::uint32_t value = parseId(token, place());
        if (value >> 24 != wantedKind || ((value >> 16) & 0xff) != 0x01) {
            char expected[16];
            std::snprintf(expected, sizeof expected, "0x%02x01xxxx", unsigned(wantedKind));
            fail("id " + token.text + " should look like " + expected);
        }
        for (const auto& [used, line] : result_.lines)
            if ((used & 0xffff) == (value & 0xffff))
                fail("id " + token.text + " repeats the serial number of an id on line "
                    + std::to_string(line));
        result_.lines.emplace(value, line_);
        return value;
    }

    void header(Tokens tokens)
    {
        const std::string& keyword = tokens[0].text;
        if (keyword == "window")
            return windowHeader(tokens);
        if (result_.name.empty())
            fail("the file must start with its window");
        if (keyword == "defaults")
            return defaultsHeader(tokens);
        if (keyword == "menu" || keyword == "menu-entry")
            return menuHeader(tokens, keyword == "menu" ? 0 : 1);
        componentHeader(tokens);
    }

    void windowHeader(Tokens tokens)
    {
        expectArguments(tokens, 3, 3, "window <Name> <WindowId>");
        if (!result_.name.empty())
            fail("a file describes one window");
        if (!isIdentifier(tokens[1].text))
            fail("'" + tokens[1].text + "' cannot name a namespace of the id header");
        result_.name = tokens[1].text;
        result_.tmpl.id = id(tokens[2], kind::window);
        ui::ComponentTemplate own;
        own.unit = ui::unit::window;
        result_.tmpl.components.push_back(own);
        section_ = Section::Window;
    }

    void defaultsHeader(Tokens tokens)
    {
        expectArguments(tokens, 2, 2, "defaults <Unit>");
        const ui::UnitInfo* unit = unitByName(units_, tokens[1].text);
        if (!unit)
            fail("unknown unit '" + tokens[1].text + "'");
        defaultsUnit_ = unit->code;
        defaults_[defaultsUnit_].clear();
        section_ = Section::Defaults;
    }

    void componentHeader(Tokens tokens)
    {
        expectArguments(tokens, 3, 5, "<Unit> <name> <ComponentId> [in <group box>]");
        const ui::UnitInfo* unit = unitByName(units_, tokens[0].text);
        if (!unit || unit->code == ui::unit::window)
            fail("unknown unit '" + tokens[0].text + "'");
        if (!result_.tmpl.menuItems.empty())
            fail("components come before the menus");
        ui::ComponentTemplate item;
        item.id = id(tokens[2], kind::component);
        item.unit = unit->code;
        item.name = platform::utf8ToGbk(tokens[1].text);
        if (takesFocus(item.unit))
            item.flags |= ui::itemFlag::takesFocus;
        if (showsHandCursor(item.unit))
            item.cursor = cursorBytes(handCursor);
        if (tokens.size() > 3) {
            if (tokens.size() != 5 || tokens[3].text != "in")
                fail("expected: <Unit> <name> <ComponentId> [in <group box>]");
            item.parent = container(tokens[4].text, item.id);
        }
        addName(tokens[1].text, item.id);
        result_.tmpl.components.push_back(std::move(item));
        section_ = Section::Component;
        applyDefaults();
    }

    ui::ComponentId container(const std::string& name, ui::ComponentId child)
    {
        auto& components = result_.tmpl.components;
        auto named = std::find_if(result_.items.begin(), result_.items.end(),
            [&](const NamedItem& item) { return item.name == name; });
        auto it = named == result_.items.end()
            ? components.end()
            : std::find_if(components.begin(), components.end(),
                [&](const ui::ComponentTemplate& c) { return c.id == named->id; });
        if (it == components.end())
            fail("container '" + name + "' is not a component above this one");
        if (it->unit != ui::unit::groupBox)
            fail("container '" + name + "' is not a GroupBox");
        it->children.push_back(child);
        return it->id;
    }

    void menuHeader(Tokens tokens, std::uint32_t level)
    {
        expectArguments(tokens, 4, 4, "menu|menu-entry <name> <id> \"<caption>\"");
        if (level == 1 && result_.tmpl.menuItems.empty())
            fail("a menu-entry belongs to a menu above it");
        ui::MenuItemTemplate item;
        item.id = id(tokens[2], kind::menuItem);
        item.level = level;
        item.caption = parseText(tokens.subspan(3), place());
        addName(tokens[1].text, item.id);
        result_.tmpl.menuItems.push_back(std::move(item));
        section_ = Section::Menu;
    }

    void addName(const std::string& name, std::uint32_t id)
    {
        if (!isIdentifier(name) || name == "window" || name == "self")
            fail("'" + name + "' cannot name a constant of the id header");
        for (const NamedItem& item : result_.items)
            if (item.name == name)
                fail("name '" + name + "' is used twice in this window (line "
                    + std::to_string(result_.lineOf(item.id)) + ")");
        result_.items.push_back({ name, id });
    }

    void applyDefaults()
    {
        int own = line_;
        for (const SourceLine& line : defaults_[result_.tmpl.components.back().unit]) {
            line_ = line.number;
            componentAttribute(line.tokens);
        }
        line_ = own;
    }

    void attribute(Tokens tokens)
    {
        switch (section_) {
        case Section::None:
            fail("attribute outside a section");
        case Section::Defaults:
            defaults_[defaultsUnit_].push_back({ line_, true, { tokens.begin(), tokens.end() } });
            return;
        case Section::Menu:
            return menuAttribute(tokens);
        case Section::Window:
            if (tokens[0].text == "item") {
                expectArguments(tokens, 2, 2, "item <ComponentId>");
                result_.tmpl.components[0].id = id(tokens[1], kind::windowItem);
                return;
            }
            if (tokens[0].text == "second-id") {
                expectArguments(tokens, 2, 2, "second-id <id>");
                result_.tmpl.secondId = id(tokens[1], kind::secondId);
                return;
            }
            return componentAttribute(tokens);
        case Section::Component:
            return componentAttribute(tokens);
        }
    }

    void menuAttribute(Tokens tokens)
    {
        ui::MenuItemTemplate& item = result_.tmpl.menuItems.back();
        const std::string& name = tokens[0].text;
        if (name == "on") {
            expectArguments(tokens, 3, 3, "on selected <handler>");
            if (tokens[1].text != "selected")
                fail("a menu entry has only the event 'selected'");
            if (item.handler != -1)
                fail("the entry already has a handler");
            item.handler = handler(tokens[2].text);
            return;
        }
        expectArguments(tokens, 1, 1, "hidden, disabled, checked or on selected <handler>");
        if (name == "hidden")
            item.flags |= ui::menuFlag::hidden;
        else if (name == "disabled")
            item.flags |= ui::menuFlag::disabled;
        else if (name == "checked")
            item.flags |= ui::menuFlag::checked;
        else
            fail("unknown menu attribute '" + name + "'");
    }

    void componentAttribute(Tokens tokens)
    {
        ui::ComponentTemplate& item = result_.tmpl.components.back();
        const std::string& name = tokens[0].text;
        Tokens values = tokens.subspan(1);
        if (name == "at") {
            expectArguments(tokens, 5, 5, "at <left> <top> <width> <height>");
            item.geometry = { parseInteger(values[0], place()), parseInteger(values[1], place()),
                parseInteger(values[2], place()), parseInteger(values[3], place()) };
        } else if (name == "hidden" || name == "disabled") {
            expectArguments(tokens, 1, 1, name.c_str());
            if (name == "hidden")
                item.flags &= ~ui::itemFlag::visible;
            else
                item.flags |= ui::itemFlag::disabled;
        } else if (name == "cursor") {
            expectArguments(tokens, 2, 2, "cursor hand|default");
            if (values[0].text != "hand" && values[0].text != "default")
                fail("unknown cursor '" + values[0].text + "'");
            item.cursor = values[0].text == "hand" ? cursorBytes(handCursor) : ui::Bytes {};
        } else if (name == "tab") {
            expectArguments(tokens, 2, 2, "tab <order>");
            item.tabOrder = static_cast<std::uint32_t>(parseInteger(values[0], place()));
        } else if (name == "tag") {
            item.tag = parseText(values, place());
        } else if (name == "on") {
            bindEvent(item, values);
        } else if (name == "column" && item.unit == ui::unit::listView) {
            expectArguments(tokens, 3, 3, "column \"<header>\" <width>");
            item.block.columns.push_back(
                { parseText(values.first(1), place()), parseInteger(values[1], place()) });
            item.block.present = true;
        } else if (name == "entries"
            && (item.unit == ui::unit::comboBox || item.unit == ui::unit::listBox)) {
            for (const Token& entry : values)
                item.block.entries.push_back(parseText({ &entry, 1 }, place()));
            item.block.present = true;
        } else {
            property(item, name, values);
        }
    }

    void property(ui::ComponentTemplate& item, const std::string& name, Tokens values)
    {
        const ui::UnitInfo& unit = *units_.find(item.unit);
        auto number = propertyNumber(item.unit, name);
        const ui::PropertyInfo* info = number ? unit.property(*number) : nullptr;
        if (!info)
            fail(std::string("unit ") + unit.name + " has no attribute '" + name + "'");
        item.block.values[*number] = parseValue(info->type, values, place());
        item.block.present = true;
    }

    void bindEvent(ui::ComponentTemplate& item, Tokens values)
    {
        if (values.size() != 2)
            fail("expected: on <event> <handler>");
        const ui::UnitInfo& unit = *units_.find(item.unit);
        if (!unit.raisesEvents)
            fail(std::string("unit ") + unit.name + " raises no events");
        auto event = eventNumber(item.unit, values[0].text);
        if (!event)
            fail(std::string("unit ") + unit.name + " has no event '" + values[0].text + "'");
        for (const ui::EventBinding& bound : item.events)
            if (bound.event == *event)
                fail("event '" + values[0].text + "' is bound twice");
        item.events.push_back({ *event, handler(values[1].text) });
    }

    std::int32_t handler(const std::string& name) const
    {
        auto it = std::find(handlers_.begin(), handlers_.end(), name);
        if (it == handlers_.end())
            fail("no handler named '" + name + "' in the application's handler table");
        return static_cast<std::int32_t>(it - handlers_.begin());
    }

    static ui::Bytes cursorBytes(std::int32_t cursor)
    {
        auto value = static_cast<std::uint32_t>(cursor);
        return { std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
            std::uint8_t(value >> 24) };
    }

    std::span<const std::string_view> handlers_;
    const ui::UnitRegistry& units_;
    std::filesystem::path folder_;
    WindowSource result_;
    int line_ = 0;
    Section section_ = Section::None;
    ui::UnitType defaultsUnit_ = 0;
    std::map<ui::UnitType, std::vector<SourceLine>> defaults_;
};

} // namespace

WindowSource parseWindowSource(const std::string& file, const std::string& text,
    std::span<const std::string_view> handlers, const ui::UnitRegistry& units,
    const std::filesystem::path& folder)
{
    return Parser(file, handlers, units, folder).parse(splitSourceLines(file, text));
}

} // namespace tmplc
