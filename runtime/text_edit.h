#pragma once
// Small edits of GBK texts that respect double-byte characters where it matters.

#include "runtime/text.h"

namespace runtime {

// Removes every ASCII space and every full-width space (A1 A1); the bytes of other
// double-byte characters are never taken apart.
[[nodiscard]] Text removeAllSpaces(std::string_view text);

// The last n bytes; n ≤ 0 gives "", n beyond the length the whole text.
[[nodiscard]] Text rightPart(std::string_view text, int n);

} // namespace runtime
