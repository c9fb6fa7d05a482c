#include "value_text.h"

#include "platform/encoding.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <type_traits>

namespace recdb::tool {

using layout::FieldType;

namespace {

constexpr std::array<const char*, 12> typeNames = { "byte", "short", "int", "long", "single",
    "double", "bool", "datetime", "sub", "text", "byteset", "memo" };

template <typename T> std::optional<T> parseNumber(const std::string& text)
{
    T value {};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<runtime::ByteSet> parseHex(const std::string& text)
{
    if (text.size() % 2)
        return std::nullopt;
    runtime::ByteSet bytes;
    for (std::size_t at = 0; at < text.size(); at += 2) {
        unsigned value = 0;
        auto [end, error] = std::from_chars(text.data() + at, text.data() + at + 2, value, 16);
        if (error != std::errc() || end != text.data() + at + 2)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

} // namespace

std::string showValue(const runtime::Value& value)
{
    return std::visit(
        [](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, runtime::Text>) {
                return platform::gbkToUtf8(v);
            } else if constexpr (std::is_same_v<T, bool>) {
                return v ? "true" : "false";
            } else if constexpr (std::is_same_v<T, runtime::DateTime>) {
                return std::to_string(v.days);
            } else if constexpr (std::is_same_v<T, runtime::ByteSet>) {
                std::string hex;
                char pair[3];
                for (std::uint8_t byte : v) {
                    std::snprintf(pair, sizeof pair, "%02x", byte);
                    hex += pair;
                }
                return hex;
            } else if constexpr (std::is_floating_point_v<T>) {
                return std::to_string(v);
            } else if constexpr (std::is_integral_v<T>) {
                return std::to_string(std::int64_t { v });
            } else {
                return "-";
            }
        },
        value.payload());
}

std::optional<runtime::Value> parseValue(const std::string& text, FieldType type)
{
    auto wrap = [](auto parsed) -> std::optional<runtime::Value> {
        if (!parsed)
            return std::nullopt;
        return runtime::Value(*parsed);
    };
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo:
        return runtime::Value(platform::utf8ToGbk(text));
    case FieldType::Byte:
        return wrap(parseNumber<std::uint8_t>(text));
    case FieldType::Short:
        return wrap(parseNumber<std::int16_t>(text));
    case FieldType::Integer:
        return wrap(parseNumber<std::int32_t>(text));
    case FieldType::Long:
        return wrap(parseNumber<std::int64_t>(text));
    case FieldType::Single:
        return wrap(parseNumber<float>(text));
    case FieldType::Double:
        return wrap(parseNumber<double>(text));
    case FieldType::DateTime: {
        auto days = parseNumber<double>(text);
        return days ? std::optional(runtime::Value(runtime::DateTime { *days })) : std::nullopt;
    }
    case FieldType::Logical:
        if (text == "true" || text == "1")
            return runtime::Value(true);
        if (text == "false" || text == "0")
            return runtime::Value(false);
        return std::nullopt;
    case FieldType::ByteSet:
        return wrap(parseHex(text));
    case FieldType::SubProgram:
        // A routine's address means nothing outside its program: only 0 is accepted.
        if (text == "0")
            return runtime::Value(runtime::SubProgram {});
        break;
    }
    return std::nullopt;
}

std::optional<std::int32_t> parseFieldType(const std::string& name)
{
    for (std::size_t i = 0; i < typeNames.size(); ++i) {
        if (name == typeNames[i])
            return std::int32_t(i + 1);
    }
    return parseNumber<std::int32_t>(name);
}

} // namespace recdb::tool
