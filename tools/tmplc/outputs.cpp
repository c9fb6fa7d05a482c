#include "tools/tmplc/outputs.h"

#include <cstdio>

namespace tmplc {
namespace {

std::string hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", value);
    return text;
}

} // namespace

std::string idsHeader(const std::vector<WindowSource>& windows)
{
    std::string out
        = "#pragma once\n"
          "// Window and component ids of the program's windows.\n"
          "// Written by tmplc from the template sources in ui/templates; do not edit.\n"
          "\n"
          "#include \"ui/ids.h\"\n"
          "\n"
          "namespace ids {\n";
    for (const WindowSource& window : windows) {
        out += "\nnamespace " + window.name + " {\n";
        out += "inline constexpr ui::WindowId window = " + hex(window.tmpl.id) + ";\n";
        out += "inline constexpr ui::ComponentId self = " + hex(window.tmpl.components[0].id)
            + ";\n";
        for (const NamedItem& item : window.items)
            out += "inline constexpr ui::ComponentId " + item.name + " = " + hex(item.id) + ";\n";
        out += "} // namespace " + window.name + "\n";
    }
    out += "\n} // namespace ids\n";
    return out;
}

std::string segmentSource(const std::vector<std::uint8_t>& segment)
{
    std::string out
        = "// The template segment of the program's windows.\n"
          "// Written by tmplc from the template sources in ui/templates; do not edit.\n"
          "\n"
          "#include \"ui/templates/segment.h\"\n"
          "\n"
          "namespace templates {\n"
          "namespace {\n"
          "const std::uint8_t bytes[] = {";
    char number[8];
    for (std::size_t i = 0; i < segment.size(); ++i) {
        out += i % 24 == 0 ? "\n   " : "";
        std::snprintf(number, sizeof number, " %u,", unsigned(segment[i]));
        out += number;
    }
    out += "\n};\n"
           "} // namespace\n"
           "\n"
           "std::span<const std::uint8_t> segment()\n"
           "{\n"
           "    return bytes;\n"
           "}\n"
           "\n"
           "} // namespace templates\n";
    return out;
}

} // namespace tmplc
