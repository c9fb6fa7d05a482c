#pragma once
// A typed value as commands, properties and record fields exchange it: a type code and a
// payload of the matching C++ type. A component argument carries the component's unit type
// as its code and its window and component ids as payload.

#include "runtime/byte_set.h"
#include "runtime/date_time.h"
#include "runtime/text.h"

#include <cstdint>
#include <functional>
#include <variant>

namespace runtime {

enum class TypeCode : std::uint32_t {
    Integer = 0x80000301,
    Text = 0x80000004,
    Logical = 0x80000002,
    Byte = 0x80000101,
    Short = 0x80000201,
    Long = 0x80000401,
    Single = 0x80000501,
    Double = 0x80000601,
    DateTime = 0x80000003,
    ByteSet = 0x80000005,
    SubProgram = 0x80000006,
};

// An application routine of one integer parameter, as started by the thread command.
using SubProgram = std::function<void(std::int32_t)>;

struct ComponentRef {
    std::uint32_t windowId = 0;
    std::uint32_t componentId = 0;
    friend bool operator==(ComponentRef, ComponentRef) = default;
};

class Value {
public:
    using Payload = std::variant<std::int32_t, Text, bool, std::uint8_t, std::int16_t, std::int64_t,
        float, double, DateTime, ByteSet, SubProgram, ComponentRef>;

    Value()
        : payload_(std::int32_t { 0 })
    {
    }
    Value(std::int32_t v)
        : payload_(v)
    {
    }
    Value(Text v)
        : payload_(std::move(v))
    {
    }
    Value(const char* v)
        : payload_(Text(v ? v : ""))
    {
    }
    Value(bool v)
        : payload_(v)
    {
    }
    Value(std::uint8_t v)
        : payload_(v)
    {
    }
    Value(std::int16_t v)
        : payload_(v)
    {
    }
    Value(std::int64_t v)
        : payload_(v)
    {
    }
    Value(float v)
        : payload_(v)
    {
    }
    Value(double v)
        : payload_(v)
    {
    }
    Value(DateTime v)
        : payload_(v)
    {
    }
    Value(ByteSet v)
        : payload_(std::move(v))
    {
    }
    Value(SubProgram v)
        : payload_(std::move(v))
    {
    }
    [[nodiscard]] static Value component(std::uint32_t unitType, ComponentRef ref)
    {
        Value value;
        value.payload_ = ref;
        value.unitType_ = unitType;
        return value;
    }

    TypeCode type() const;
    const Payload& payload() const { return payload_; }

    template <typename T> bool holds() const { return std::holds_alternative<T>(payload_); }
    // The payload when it has type T, else nullptr.
    template <typename T> const T* as() const { return std::get_if<T>(&payload_); }
    template <typename T> T* as() { return std::get_if<T>(&payload_); }

private:
    Payload payload_;
    std::uint32_t unitType_ = 0; // only for a component argument
};

} // namespace runtime
