#pragma once
// Reads the value of a property attribute by the property's type:
//   integer, choice  42, -1, 0x10
//   colour           rgb(0, 96, 192), black, white, red, blue, navy, cyan, button-face
//   logical          yes, no
//   text             one or more quoted strings, joined; converted to GBK
//   bytes            a quoted file name relative to the source's folder; the file's bytes
//   font             default | ["face"] height [bold] [italic] [underline] [strike-out]

#include "tools/tmplc/source_lines.h"
#include "ui/value.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace tmplc {

struct SourcePlace {
    const std::string& file;
    int line;
    std::filesystem::path folder; // where file names in the source are found
};

// Throws SourceError naming the place.
ui::Value parseValue(ui::PropertyType type, std::span<const Token> tokens, const SourcePlace& at);

std::int32_t parseInteger(const Token& token, const SourcePlace& at);
std::uint32_t parseId(const Token& token, const SourcePlace& at);
// Quoted strings, joined, in GBK.
ui::Text parseText(std::span<const Token> tokens, const SourcePlace& at);

} // namespace tmplc
