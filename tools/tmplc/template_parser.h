#pragma once
// Parses one window's template source (the format is described in docs/template-format.md).
//
//   window MainWindow 0x52010001        the window, its own item's attributes below
//   defaults SuperBtn                   attributes every later SuperBtn starts with
//   Label 标签1 0x16010bf8 in 分组框3    a component, optionally inside a group box
//   menu 托盘 0x26010498 "托盘"          a top-level menu entry
//   menu-entry 显示 0x26010499 "显示"    an entry of the menu above
//
// Every fault is a SourceError naming the file and line.

#include "tools/tmplc/window_source.h"
#include "ui/unit_info.h"

#include <filesystem>
#include <span>
#include <string_view>

namespace tmplc {

// handlers: the application's handler names; a binding stores its name's position.
// Files named in the source are read relative to folder.
WindowSource parseWindowSource(const std::string& file, const std::string& text,
    std::span<const std::string_view> handlers, const ui::UnitRegistry& units,
    const std::filesystem::path& folder);

} // namespace tmplc
