#pragma once
// Names inside the record database: aliases and field names are compared ignoring the
// case of Latin letters, with double-byte GBK characters taken as units.

#include <string_view>

namespace recdb {

// Equal when the texts differ at most in the case of single-byte Latin letters.
[[nodiscard]] bool equalIgnoringCase(std::string_view a, std::string_view b);

// An alias or field name: letters, digits, "_", full-width letters and digits, kana and
// Chinese characters; not starting with a digit or a full-width digit.
[[nodiscard]] bool isValidName(std::string_view name);

} // namespace recdb
