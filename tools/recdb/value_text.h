#pragma once
// Field values as the terminal shows and types them (UTF-8).

#include "recdb/layout.h"
#include "runtime/value.h"

#include <optional>
#include <string>

namespace recdb::tool {

std::string showValue(const runtime::Value& value);
// The value a field of this type gets from typed text; nothing when the text does not fit.
std::optional<runtime::Value> parseValue(const std::string& text, layout::FieldType type);

// "text" or "10" for text; the other types by name or code.
std::optional<std::int32_t> parseFieldType(const std::string& name);

} // namespace recdb::tool
