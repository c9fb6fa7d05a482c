#pragma once
// Ids of windows, items and unit types as the templates store them. An id is a kind byte in
// bits 24–31, 0x01 in bits 16–23 and a serial shared by every object of the program.

#include <cstdint>

namespace ui {

using WindowId = std::uint32_t;
using ComponentId = std::uint32_t; // also a menu item's id
using UnitType = std::uint32_t; // library number in the high half, unit number in the low half

// The menu item kind is 0x26: top nibble 2, second nibble 6.
[[nodiscard]] constexpr bool isMenuItemId(std::uint32_t id)
{
    return (id >> 24) == 0x26;
}

namespace unit {
constexpr UnitType window = 0x00010001;
constexpr UnitType menu = 0x00010003;
constexpr UnitType editBox = 0x00010005;
constexpr UnitType picBox = 0x00010006;
constexpr UnitType groupBox = 0x00010009;
constexpr UnitType label = 0x0001000a;
constexpr UnitType button = 0x0001000b;
constexpr UnitType comboBox = 0x0001000e;
constexpr UnitType listBox = 0x0001000f;
constexpr UnitType monthCalendar = 0x00010018;
constexpr UnitType hyperLinker = 0x0001001d;
constexpr UnitType commonDlg = 0x0001001f;
constexpr UnitType timer = 0x00010020;
constexpr UnitType serialPort = 0x00010027;
constexpr UnitType picBtn = 0x0001002d;
constexpr UnitType treeBox = 0x00020001;
constexpr UnitType listView = 0x00020004;
constexpr UnitType transLabel = 0x00020005;
constexpr UnitType superBtn = 0x00030001;
constexpr UnitType sysVolume = 0x00040001;
constexpr UnitType mediaPlay = 0x00040006;
constexpr UnitType supperMenu = 0x00050001;
constexpr UnitType superBar = 0x00080001;
} // namespace unit

} // namespace ui
