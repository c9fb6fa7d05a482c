#include "runtime/value.h"

namespace runtime {

TypeCode Value::type() const
{
    struct Code {
        std::uint32_t unitType;
        TypeCode operator()(std::int32_t) const { return TypeCode::Integer; }
        TypeCode operator()(const Text&) const { return TypeCode::Text; }
        TypeCode operator()(bool) const { return TypeCode::Logical; }
        TypeCode operator()(std::uint8_t) const { return TypeCode::Byte; }
        TypeCode operator()(std::int16_t) const { return TypeCode::Short; }
        TypeCode operator()(std::int64_t) const { return TypeCode::Long; }
        TypeCode operator()(float) const { return TypeCode::Single; }
        TypeCode operator()(double) const { return TypeCode::Double; }
        TypeCode operator()(DateTime) const { return TypeCode::DateTime; }
        TypeCode operator()(const ByteSet&) const { return TypeCode::ByteSet; }
        TypeCode operator()(const SubProgram&) const { return TypeCode::SubProgram; }
        TypeCode operator()(ComponentRef) const { return static_cast<TypeCode>(unitType); }
    };
    return std::visit(Code { unitType_ }, payload_);
}

} // namespace runtime
