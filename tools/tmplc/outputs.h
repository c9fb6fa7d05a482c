#pragma once
// What the compiler writes: the C++ header of window and component ids, and the C++ source
// that embeds the template segment in the program.

#include "tools/tmplc/window_source.h"

#include <string>
#include <vector>

namespace tmplc {

// Per window a namespace named after it with `window` (the WindowId), `self` (the window's
// own item, which addresses the window as a component) and one constant per named item.
std::string idsHeader(const std::vector<WindowSource>& windows);

// Defines templates::segment() (declared in ui/templates/segment.h) over the bytes.
std::string segmentSource(const std::vector<std::uint8_t>& segment);

} // namespace tmplc
