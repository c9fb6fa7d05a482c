#include "recdb/field_values.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

namespace recdb {

using layout::FieldType;
using runtime::Value;

namespace {

template <typename T> constexpr bool isNumber = std::is_arithmetic_v<T> && !std::is_same_v<T, bool>;

template <typename Target> Target castNumber(const Value& value)
{
    return std::visit(
        [](const auto& source) -> Target {
            using Source = std::decay_t<decltype(source)>;
            if constexpr (std::is_floating_point_v<Source> && std::is_integral_v<Target>) {
                // Casting an out-of-range floating value to an integer is undefined.
                if (std::isnan(source))
                    return 0;
                if (source <= static_cast<Source>(std::numeric_limits<Target>::min()))
                    return std::numeric_limits<Target>::min();
                if (source >= static_cast<Source>(std::numeric_limits<Target>::max()))
                    return std::numeric_limits<Target>::max();
                return static_cast<Target>(source);
            } else if constexpr (std::is_same_v<Target, float> && std::is_same_v<Source, double>) {
                if (std::isfinite(source) && std::fabs(source) > std::numeric_limits<float>::max())
                    return std::copysign(std::numeric_limits<float>::infinity(), float(source));
                return static_cast<float>(source);
            } else if constexpr (isNumber<Source>) {
                return static_cast<Target>(source);
            } else {
                return Target {};
            }
        },
        value.payload());
}

runtime::Text textUpToZero(const char* bytes, std::size_t size)
{
    const void* zero = std::memchr(bytes, 0, size);
    return runtime::Text(bytes, zero ? static_cast<const char*>(zero) - bytes : size);
}

} // namespace

Value decodeStored(FieldType type, const unsigned char* bytes, std::int64_t width)
{
    using layout::load;
    switch (type) {
    case FieldType::Byte:
        return bytes[0];
    case FieldType::Short:
        return load<std::int16_t>(bytes);
    case FieldType::Integer:
        return load<std::int32_t>(bytes);
    case FieldType::Long:
        return load<std::int64_t>(bytes);
    case FieldType::Single:
        return load<float>(bytes);
    case FieldType::Double:
        return load<double>(bytes);
    case FieldType::Logical:
        return bytes[0] != 0;
    case FieldType::DateTime:
        return runtime::DateTime { std::clamp(load<double>(bytes), earliestDate, latestDate) };
    case FieldType::Text:
        return textUpToZero(reinterpret_cast<const char*>(bytes), std::size_t(width));
    default:
        // A routine's address means nothing outside the program that stored it.
        return runtime::SubProgram {};
    }
}

Value decodeChain(FieldType type, std::string_view chain)
{
    if (type == FieldType::Memo)
        return textUpToZero(chain.data(), chain.size());
    return runtime::ByteSet(chain.begin(), chain.end());
}

bool isNumeric(const Value& value)
{
    return std::visit(
        [](const auto& v) { return isNumber<std::decay_t<decltype(v)>>; }, value.payload());
}

std::int64_t numericToInteger(const Value& value)
{
    return castNumber<std::int64_t>(value);
}

Value emptyValueOf(FieldType type)
{
    switch (type) {
    case FieldType::Byte:
        return std::uint8_t { 0 };
    case FieldType::Short:
        return std::int16_t { 0 };
    case FieldType::Integer:
        return std::int32_t { 0 };
    case FieldType::Long:
        return std::int64_t { 0 };
    case FieldType::Single:
        return 0.0f;
    case FieldType::Double:
        return 0.0;
    case FieldType::Logical:
        return false;
    case FieldType::DateTime:
        return runtime::DateTime { 0.0 };
    case FieldType::SubProgram:
        return runtime::SubProgram {};
    case FieldType::ByteSet:
        return runtime::ByteSet {};
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return runtime::Text {};
}

bool convertForField(const std::optional<Value>& value, FieldType type, Value& result)
{
    Value empty = emptyValueOf(type);
    if (!value || value->type() == empty.type()) {
        result = value ? *value : empty;
        return true;
    }
    if (!isNumeric(*value) || !isNumeric(empty))
        return false;
    switch (type) {
    case FieldType::Byte:
        result = castNumber<std::uint8_t>(*value);
        break;
    case FieldType::Short:
        result = castNumber<std::int16_t>(*value);
        break;
    case FieldType::Integer:
        result = castNumber<std::int32_t>(*value);
        break;
    case FieldType::Long:
        result = castNumber<std::int64_t>(*value);
        break;
    case FieldType::Single:
        result = castNumber<float>(*value);
        break;
    default:
        result = castNumber<double>(*value);
        break;
    }
    return true;
}

} // namespace recdb
