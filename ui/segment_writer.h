#pragma once
// Writes window templates as a template segment that readSegment reads back unchanged. The
// template compiler builds the program's segment with it; tests build small windows with it.

#include "ui/template.h"
#include "ui/unit_info.h"

namespace ui {

// Every component's unit must be in units.
Bytes writeSegment(const Segment& segment, const UnitRegistry& units);

} // namespace ui
