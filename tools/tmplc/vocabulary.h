#pragma once
// The words of the template sources: unit names, the attribute names of each unit's
// properties, event names, and what a unit gets without being told (focus, hand cursor).

#include "ui/unit_info.h"

#include <optional>
#include <string_view>

namespace tmplc {

// The unit called name ("Label", "SuperBtn", "window" …), or nullptr.
const ui::UnitInfo* unitByName(const ui::UnitRegistry& units, std::string_view name);

// The number of the unit property an attribute names ("caption", "colour" …).
std::optional<int> propertyNumber(ui::UnitType unit, std::string_view attribute);

// An event name of the unit ("clicked", "tick", "left-up" …) or a plain event number.
std::optional<int> eventNumber(ui::UnitType unit, std::string_view name);

// Buttons, boxes and views take the keyboard focus.
bool takesFocus(ui::UnitType unit);
// Buttons and boxes show the hand cursor.
bool showsHandCursor(ui::UnitType unit);

// The system cursor id of the hand cursor, as templates store it.
constexpr std::int32_t handCursor = 32649;

} // namespace tmplc
