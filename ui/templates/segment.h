#pragma once
// The template segment of the program's eight windows, compiled from the sources in this
// folder by tmplc and embedded in the program.

#include <cstdint>
#include <span>

namespace templates {

std::span<const std::uint8_t> segment();

} // namespace templates
