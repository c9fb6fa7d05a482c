#pragma once
// Runtime text: GBK bytes. An empty std::string stands for both the null and the empty text.

#include <string>
#include <string_view>

namespace runtime {

using Text = std::string;

// Byte-wise unsigned comparison: below, equal to or above 0.
[[nodiscard]] int compareText(std::string_view a, std::string_view b);
[[nodiscard]] int textLength(std::string_view text);
template <typename... Parts> Text concatText(const Parts&... parts)
{
    Text result;
    (result.append(parts), ...);
    return result;
}

} // namespace runtime
