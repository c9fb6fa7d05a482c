#pragma once
// What the window system knows about a unit (a component type): its numbered properties and
// the layout of its template property block. The loader builds every component from its
// unit's record; a unit declares all of it in one place (units.cpp).

#include "ui/ids.h"
#include "ui/value.h"

#include <map>
#include <vector>

namespace ui {

struct ComponentState;

// get and set are null for a property that is simply stored; a unit gives its own where a
// value is derived or must be checked (a selection index, a timer interval). set receives a
// value of the right type.
struct PropertyInfo {
    int number;
    PropertyType type;
    Value initial;
    Value (*get)(const ComponentState&) = nullptr;
    void (*set)(ComponentState&, const Value&) = nullptr;
};

// One field of a property block, in block order.
struct BlockField {
    enum class Kind {
        Version, // dword: the version written; a higher one is rejected
        Property, // the value of property `value`, encoded by its type
        SpareDwords, // `value` dwords the program does not use
        SpareText, // a text32 the program does not use
        Entries, // 16-bit count, that many text32 items, 12 spare bytes
        Columns, // dword count, per column a text32 header and an int32 width
    };
    Kind kind;
    int value = 0;
};

struct UnitInfo {
    UnitType code;
    const char* name;
    bool visual; // has a control on screen
    bool raisesEvents;
    std::vector<PropertyInfo> properties; // unit properties, numbers 8 and up
    std::vector<BlockField> block;

    const PropertyInfo* property(int number) const;
};

// Unit type code → unit. builtin() knows every unit of the templates; other modules may add
// theirs (or replace one) before the segment is read.
class UnitRegistry {
public:
    static UnitRegistry builtin();

    void add(UnitInfo unit);
    const UnitInfo* find(UnitType code) const;
    [[nodiscard]] std::vector<UnitType> codes() const;

private:
    std::map<UnitType, UnitInfo> units_;
};

} // namespace ui
