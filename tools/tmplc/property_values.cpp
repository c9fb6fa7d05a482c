#include "tools/tmplc/property_values.h"

#include "tools/tmplc/source_error.h"

#include "platform/encoding.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>

namespace tmplc {
namespace {

[[noreturn]] void fail(const SourcePlace& at, const std::string& message)
{
    throw SourceError(at.file, at.line, message);
}

void expectCount(std::span<const Token> tokens, std::size_t count, const SourcePlace& at)
{
    if (tokens.size() != count)
        fail(at,
            "expected " + std::to_string(count) + " value(s), found "
                + std::to_string(tokens.size()));
}

std::int32_t parseColour(const Token& token, const SourcePlace& at)
{
    static const std::map<std::string, std::int32_t> named {
        { "black", ui::rgb(0, 0, 0) },
        { "white", ui::rgb(255, 255, 255) },
        { "red", ui::rgb(255, 0, 0) },
        { "blue", ui::rgb(0, 0, 255) },
        { "navy", ui::rgb(0, 0, 128) },
        { "cyan", ui::rgb(0, 255, 255) },
        { "button-face", ui::buttonFaceColour },
    };
    if (auto it = named.find(token.text); it != named.end())
        return it->second;
    int red = 0, green = 0, blue = 0;
    char end = 0;
    if (std::sscanf(token.text.c_str(), "rgb(%d,%d,%d%c", &red, &green, &blue, &end) != 4
        || end != ')' || token.text.back() != ')')
        fail(at, "'" + token.text + "' is not a colour (rgb(r, g, b) or a colour name)");
    for (int channel : { red, green, blue })
        if (channel < 0 || channel > 255)
            fail(at, "colour channel out of 0…255 in '" + token.text + "'");
    return ui::rgb(red, green, blue);
}

bool parseLogical(const Token& token, const SourcePlace& at)
{
    if (token.text == "yes" && !token.quoted)
        return true;
    if (token.text == "no" && !token.quoted)
        return false;
    fail(at, "expected yes or no, found '" + token.text + "'");
}

ui::Bytes readFileBytes(const Token& token, const SourcePlace& at)
{
    if (!token.quoted)
        fail(at, "expected a quoted file name");
    std::ifstream in(at.folder / token.text, std::ios::binary);
    if (!in)
        fail(at, "cannot read file '" + token.text + "'");
    return ui::Bytes(std::istreambuf_iterator<char>(in), {});
}

ui::Font parseFont(std::span<const Token> tokens, const SourcePlace& at)
{
    if (tokens.size() == 1 && tokens[0].text == "default" && !tokens[0].quoted)
        return {};
    ui::Font font;
    if (!tokens.empty() && tokens[0].quoted) {
        font.face = platform::utf8ToGbk(tokens[0].text);
        tokens = tokens.subspan(1);
    }
    if (tokens.empty())
        fail(at, "a font needs a height in pixels");
    font.height = parseInteger(tokens[0], at);
    if (font.height <= 0)
        fail(at, "font height must be above 0");
    for (const Token& style : tokens.subspan(1)) {
        if (style.text == "bold")
            font.weight = 700;
        else if (style.text == "italic")
            font.italic = true;
        else if (style.text == "underline")
            font.underline = true;
        else if (style.text == "strike-out")
            font.strikeOut = true;
        else
            fail(at, "unknown font style '" + style.text + "'");
    }
    return font;
}

} // namespace

std::int32_t parseInteger(const Token& token, const SourcePlace& at)
{
    const std::string& text = token.text;
    bool negative = !text.empty() && text[0] == '-';
    std::string_view digits(text);
    digits.remove_prefix(negative ? 1 : 0);
    int base = 10;
    if (digits.starts_with("0x")) {
        base = 16;
        digits.remove_prefix(2);
    }
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (token.quoted || digits.empty() || error != std::errc {} || end != digits.end())
        fail(at, "'" + text + "' is not an integer");
    value = negative ? -value : value;
    if (value < INT32_MIN || value > UINT32_MAX)
        fail(at, "'" + text + "' does not fit in 32 bits");
    return static_cast<std::int32_t>(value);
}

std::uint32_t parseId(const Token& token, const SourcePlace& at)
{
    if (!token.text.starts_with("0x"))
        fail(at, "an id is written in hexadecimal (0x…), found '" + token.text + "'");
    return static_cast<std::uint32_t>(parseInteger(token, at));
}

ui::Text parseText(std::span<const Token> tokens, const SourcePlace& at)
{
    if (tokens.empty())
        fail(at, "expected a quoted text");
    std::string utf8;
    for (const Token& token : tokens) {
        if (!token.quoted)
            fail(at, "expected a quoted text, found '" + token.text + "'");
        utf8 += token.text;
    }
    return platform::utf8ToGbk(utf8);
}

ui::Value parseValue(ui::PropertyType type, std::span<const Token> tokens, const SourcePlace& at)
{
    switch (type) {
    case ui::PropertyType::Integer:
    case ui::PropertyType::Choice:
        expectCount(tokens, 1, at);
        return parseInteger(tokens[0], at);
    case ui::PropertyType::Colour:
        expectCount(tokens, 1, at);
        return parseColour(tokens[0], at);
    case ui::PropertyType::Logical:
        expectCount(tokens, 1, at);
        return parseLogical(tokens[0], at);
    case ui::PropertyType::Text:
        return parseText(tokens, at);
    case ui::PropertyType::Bytes:
        expectCount(tokens, 1, at);
        return readFileBytes(tokens[0], at);
    case ui::PropertyType::Font:
        return parseFont(tokens, at);
    }
    fail(at, "property of an unknown type");
}

} // namespace tmplc
