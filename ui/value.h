#pragma once
// The values a component property holds, and the property types that say which value fits.

#include "runtime/text.h"

#include <cstdint>
#include <variant>
#include <vector>

namespace ui {

using runtime::Text;
using Bytes = std::vector<std::uint8_t>;

// A font as the templates describe it; height is the character height in pixels.
struct Font {
    std::int32_t height = 0;
    std::int32_t weight = 400; // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::uint8_t charSet = 134; // GB2312
    Text face; // empty: the default face
    bool operator==(const Font&) const = default;
};

// Integers, choices and colours are int32 (a colour is a COLORREF's bits); logicals are bool.
using Value = std::variant<std::int32_t, bool, Text, Bytes, Font>;

enum class PropertyType { Integer, Choice, Colour, Logical, Text, Bytes, Font };

// 0xFF000000: the system button-face colour.
constexpr std::int32_t buttonFaceColour = static_cast<std::int32_t>(0xFF000000u);

[[nodiscard]] constexpr std::int32_t rgb(int red, int green, int blue)
{
    return red | (green << 8) | (blue << 16);
}

} // namespace ui
