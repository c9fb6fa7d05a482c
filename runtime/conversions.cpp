#include "runtime/conversions.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace runtime {
namespace {

template <typename Real> std::string realText(Real value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::int32_t saturate(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    value = std::trunc(value);
    if (value <= std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (value >= std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t leadingNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    double magnitude = 0; // a double holds every int32 exactly and cannot overflow here
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = std::min(magnitude * 10 + (text[i] - '0'), 1e10);
    }
    return saturate(negative ? -magnitude : magnitude);
}

} // namespace

Text dateTimeText(DateTime value)
{
    CivilTime c = civilTime(value);
    char buffer[96];
    int length = std::snprintf(buffer, sizeof buffer, "%d年%d月%d日", c.year, c.month, c.day);
    if (c.second != 0) {
        length += std::snprintf(
            buffer + length, sizeof buffer - length, "%d时%d分%d秒", c.hour, c.minute, c.second);
    } else if (c.minute != 0) {
        length
            += std::snprintf(buffer + length, sizeof buffer - length, "%d时%d分", c.hour, c.minute);
    } else if (c.hour != 0) {
        length += std::snprintf(buffer + length, sizeof buffer - length, "%d时", c.hour);
    }
    return Text(buffer, static_cast<std::size_t>(length));
}

Text toText(const Value& value)
{
    struct Convert {
        Text operator()(std::int32_t v) const { return std::to_string(v); }
        Text operator()(const Text& v) const { return v; }
        Text operator()(bool v) const { return v ? "真" : "假"; }
        Text operator()(std::uint8_t v) const { return std::to_string(v); }
        Text operator()(std::int16_t v) const { return std::to_string(v); }
        Text operator()(std::int64_t v) const { return std::to_string(v); }
        Text operator()(float v) const { return realText(v); }
        Text operator()(double v) const { return realText(v); }
        Text operator()(DateTime v) const { return dateTimeText(v); }
        Text operator()(const ByteSet& v) const
        {
            Text text(v.begin(), v.end());
            return text.substr(0, text.find('\0'));
        }
        Text operator()(const SubProgram&) const { return {}; }
        Text operator()(ComponentRef) const { return {}; }
    };
    return std::visit(Convert {}, value.payload());
}

std::int32_t toInteger(const Value& value)
{
    struct Convert {
        std::int32_t operator()(std::int32_t v) const { return v; }
        std::int32_t operator()(const Text& v) const { return leadingNumber(v); }
        std::int32_t operator()(bool v) const { return v ? 1 : 0; }
        std::int32_t operator()(std::uint8_t v) const { return v; }
        std::int32_t operator()(std::int16_t v) const { return v; }
        std::int32_t operator()(std::int64_t v) const { return saturate(static_cast<double>(v)); }
        std::int32_t operator()(float v) const { return saturate(v); }
        std::int32_t operator()(double v) const { return saturate(v); }
        std::int32_t operator()(DateTime v) const { return saturate(v.days); }
        std::int32_t operator()(const ByteSet&) const { return 0; }
        std::int32_t operator()(const SubProgram&) const { return 0; }
        std::int32_t operator()(ComponentRef) const { return 0; }
    };
    return std::visit(Convert {}, value.payload());
}

DateTime toDateTime(const Value& value)
{
    if (const DateTime* dateTime = value.as<DateTime>()) {
        return *dateTime;
    }
    if (const Text* text = value.as<Text>()) {
        return parseDateTime(*text).value_or(DateTime::invalid());
    }
    return DateTime::invalid();
}

} // namespace runtime
