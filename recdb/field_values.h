#pragma once
// How runtime values meet field types: the value a field of each type reads as, and the
// conversion of a value supplied for writing.

#include "recdb/layout.h"
#include "runtime/value.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace recdb {

// The value a field of this type reads as after a failure: zero, false, "" or an empty set.
[[nodiscard]] runtime::Value emptyValueOf(layout::FieldType type);

// Converts a value for a field: unchanged when its type is the field's value type, a numeric
// cast between numeric types (out-of-range floating values saturate, NaN gives 0), the empty
// value when omitted. Returns false on any other mismatch.
[[nodiscard]] bool convertForField(
    const std::optional<runtime::Value>& value, layout::FieldType type, runtime::Value& result);

// The value of a field's stored bytes (width of them; not for memo or byte-set fields).
[[nodiscard]] runtime::Value decodeStored(
    layout::FieldType type, const unsigned char* bytes, std::int64_t width);
// The value of a memo or byte-set field from the bytes of its chain.
[[nodiscard]] runtime::Value decodeChain(layout::FieldType type, std::string_view chain);

[[nodiscard]] bool isNumeric(const runtime::Value& value);
// A numeric value as an integer, with the same saturating rule.
[[nodiscard]] std::int64_t numericToInteger(const runtime::Value& value);

// The range a date-time field reads as.
constexpr double earliestDate = -657434.0;
constexpr double latestDate = 2958465.0;

} // namespace recdb
