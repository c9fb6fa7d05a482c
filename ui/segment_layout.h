#pragma once
// The byte layout of the template segment, written once for both directions: each transfer
// function walks the fields in file order through an Io that either reads (SegmentReadIo) or
// writes (SegmentWriteIo). All integers are little-endian.
//
// Segment
//   0        dword        window table size = 8 × window count
//   4        dword × n    WindowIds, in template order
//   4+4n     dword × n    window slots (ignored; written as 0)
//   4+8n     …            n window records
// Window record
//   +0       dword        reserved (0)
//   +4       dword        second id (kind 0x19)
//   +8       text32 × 2   reserved texts (empty)
//            dword        item count m
//            dword        item area size
//            …            item area: ItemIds (dword × m), item offsets (dword × m, counted from
//                         the end of the offset table), items (dword length L + L bytes each);
//                         item 0 is the window's own item; menu items follow the components
// Component item data: see transferComponent; menu item data: see transferMenuItem.
// text32 = dword length + bytes; ztext = bytes + NUL.

#include "ui/template.h"
#include "ui/unit_info.h"

namespace ui {

constexpr std::uint32_t fontRecordSize = 60;

template <typename Io> void transferWindowHeader(Io& io, WindowTemplate& window)
{
    io.zeros(4);
    io.u32(window.secondId);
    io.spareText();
    io.spareText();
}

template <typename Io> void transferComponent(Io& io, ComponentTemplate& item)
{
    io.u32(item.unit);
    io.zeros(20);
    io.ztext(item.name);
    io.ztext(item.remark);
    io.zeros(4); // object slot
    io.i32(item.geometry.left);
    io.i32(item.geometry.top);
    io.i32(item.geometry.width);
    io.i32(item.geometry.height);
    io.zeros(4);
    io.u32(item.parent);
    io.ids(item.children);
    io.bytes32(item.cursor);
    io.ztext(item.tag);
    io.zeros(4);
    io.u32(item.flags);
    io.u32(item.tabOrder);
    io.events(item.events);
    io.zeros(20);
    io.block(item.unit, item.block); // the rest of the item
}

template <typename Io> void transferMenuItem(Io& io, MenuItemTemplate& item)
{
    std::uint32_t code = unit::menu;
    io.u32(code);
    if (code != unit::menu)
        io.fail("menu item of another unit");
    io.zeros(20);
    io.ztext(item.name);
    io.ztext(item.remark);
    io.u32(item.shortcut);
    io.u32(item.level);
    io.u32(item.flags);
    io.ztext(item.caption);
    io.handler(item.handler);
    io.zeros(16);
}

// A font: dword 0 (the default font) or dword 60 and a 60-byte LOGFONT.
template <typename Io> void transferFont(Io& io, Font& font)
{
    std::uint32_t size = font == Font {} ? 0 : fontRecordSize;
    io.u32(size);
    if (size == 0) {
        font = Font {};
        return;
    }
    if (size != fontRecordSize)
        io.fail("font record of unknown size");
    std::int32_t height = -font.height; // LOGFONT: negative = character height in pixels
    io.i32(height);
    font.height = height < 0 ? -height : height;
    io.zeros(12); // width, escapement, orientation
    io.i32(font.weight);
    io.flag8(font.italic);
    io.flag8(font.underline);
    io.flag8(font.strikeOut);
    io.u8(font.charSet);
    io.zeros(4); // precisions, quality, pitch and family
    io.faceName(font.face);
}

template <typename Io> void transferValue(Io& io, PropertyType type, Value& value)
{
    switch (type) {
    case PropertyType::Integer:
    case PropertyType::Choice:
    case PropertyType::Colour:
        io.i32(std::get<std::int32_t>(value));
        break;
    case PropertyType::Logical: {
        std::uint32_t flag = std::get<bool>(value);
        io.u32(flag);
        value = flag != 0;
        break;
    }
    case PropertyType::Text:
        io.text32(std::get<Text>(value));
        break;
    case PropertyType::Bytes:
        io.bytes32(std::get<Bytes>(value));
        break;
    case PropertyType::Font:
        transferFont(io, std::get<Font>(value));
        break;
    }
}

// The fields of a unit's property block. Values missing from block.values are written as the
// unit's initial values.
template <typename Io> void transferBlockFields(Io& io, const UnitInfo& unit, PropertyBlock& block)
{
    for (const BlockField& field : unit.block) {
        switch (field.kind) {
        case BlockField::Kind::Version: {
            std::uint32_t version = static_cast<std::uint32_t>(field.value);
            io.u32(version);
            if (version > static_cast<std::uint32_t>(field.value))
                io.fail("property block of a newer version");
            break;
        }
        case BlockField::Kind::Property: {
            const PropertyInfo& info = *unit.property(field.value);
            auto stored = block.values.find(field.value);
            Value value = stored != block.values.end() ? stored->second : info.initial;
            if (value.index() != info.initial.index())
                value = info.initial;
            transferValue(io, info.type, value);
            block.values[field.value] = value;
            break;
        }
        case BlockField::Kind::SpareDwords:
            io.zeros(4 * field.value);
            break;
        case BlockField::Kind::SpareText:
            io.spareText();
            break;
        case BlockField::Kind::Entries:
            io.entries(block.entries);
            io.zeros(12);
            break;
        case BlockField::Kind::Columns:
            io.columns(block.columns);
            break;
        }
    }
}

} // namespace ui
