#pragma once
// Reads the template segment into window templates, checking every length, offset, count and
// reference. Handler offsets are indexes into the application's handler table; one outside it
// is malformed data like any other.

#include "ui/byte_io.h"
#include "ui/template.h"
#include "ui/unit_info.h"

#include <span>

namespace ui {

// Throws TemplateFormatError.
Segment readSegment(
    std::span<const std::uint8_t> data, const UnitRegistry& units, std::size_t handlerCount);

} // namespace ui
