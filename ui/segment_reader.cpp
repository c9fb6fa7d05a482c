#include "ui/segment_reader.h"

#include "ui/segment_layout.h"

#include <set>

namespace ui {
namespace {

class SegmentReadIo {
public:
    SegmentReadIo(ByteReader& in, const UnitRegistry& units, std::size_t handlerCount)
        : in_(in)
        , units_(units)
        , handlerCount_(handlerCount)
    {
    }

    void u32(std::uint32_t& v) { v = in_.u32(); }
    void i32(std::int32_t& v) { v = in_.i32(); }
    void u8(std::uint8_t& v) { v = in_.u8(); }
    void flag8(bool& v) { v = in_.u8() != 0; }
    void zeros(std::size_t length) { in_.skip(length); }
    void ztext(Text& v) { v = in_.ztext(); }
    void text32(Text& v) { v = in_.text(in_.count(in_.u32(), 1)); }
    void bytes32(Bytes& v) { v = in_.bytes(in_.count(in_.u32(), 1)); }
    void spareText() { in_.skip(in_.count(in_.u32(), 1)); }
    [[noreturn]] void fail(const std::string& what) { in_.fail(what); }

    void faceName(Text& face)
    {
        Text raw = in_.text(32);
        face = raw.substr(0, raw.find('\0'));
    }

    void ids(std::vector<std::uint32_t>& ids)
    {
        ids.resize(in_.count(in_.u32(), 4));
        for (auto& id : ids)
            id = in_.u32();
    }

    void events(std::vector<EventBinding>& events)
    {
        events.resize(in_.count(in_.u32(), 8));
        for (auto& event : events) {
            event.event = in_.i32();
            handler(event.handler);
        }
    }

    void entries(std::vector<Text>& entries)
    {
        entries.resize(in_.count(in_.u16(), 4));
        for (auto& entry : entries)
            text32(entry);
    }

    void columns(std::vector<Column>& columns)
    {
        columns.resize(in_.count(in_.u32(), 8));
        for (auto& column : columns) {
            text32(column.header);
            column.width = in_.i32();
        }
    }

    void block(UnitType code, PropertyBlock& block)
    {
        const UnitInfo* unit = units_.find(code);
        if (!unit)
            fail("unknown unit type");
        block.present = in_.remaining() > 0;
        if (block.present)
            transferBlockFields(*this, *unit, block);
        if (in_.remaining() > 0)
            fail("property block longer than its unit's fields");
    }

    // An offset is an index into the application's handler table, or -1 for none.
    void handler(std::int32_t& offset)
    {
        offset = in_.i32();
        if (offset < -1 || (offset >= 0 && std::size_t(offset) >= handlerCount_))
            fail("handler offset outside the handler table");
    }

private:
    ByteReader& in_;
    const UnitRegistry& units_;
    std::size_t handlerCount_;
};

void checkContainers(const WindowTemplate& window, ByteReader& at)
{
    for (const auto& item : window.components) {
        // Walk up the containers; a chain longer than the item count loops.
        ComponentId parent = item.parent;
        for (std::size_t steps = 0; parent != 0; ++steps) {
            const ComponentTemplate* container = window.component(parent);
            if (!container || container->unit != unit::groupBox
                || steps == window.components.size())
                at.fail("component placed in a missing or invalid container");
            parent = container->parent;
        }
    }
}

WindowTemplate readWindow(ByteReader& in, const UnitRegistry& units, std::size_t handlers)
{
    WindowTemplate window;
    SegmentReadIo io(in, units, handlers);
    transferWindowHeader(io, window);
    std::size_t count = in.u32();
    ByteReader area = in.sub(in.u32());
    ByteReader tables = area.sub(area.count(count, 8) * 8);
    ByteReader items = area;

    std::set<std::uint32_t> seen;
    std::vector<std::uint32_t> ids(count);
    for (auto& id : ids) {
        id = tables.u32();
        if (!seen.insert(id).second)
            tables.fail("item id used twice");
    }
    for (std::size_t i = 0; i < count; ++i) {
        ByteReader at = items;
        at.skip(tables.u32());
        ByteReader data = at.sub(at.u32());
        SegmentReadIo itemIo(data, units, handlers);
        if (isMenuItemId(ids[i])) {
            if (i == 0)
                data.fail("first item is not the window's own item");
            MenuItemTemplate item;
            item.id = ids[i];
            transferMenuItem(itemIo, item);
            window.menuItems.push_back(std::move(item));
        } else {
            ComponentTemplate item;
            item.id = ids[i];
            transferComponent(itemIo, item);
            if ((i == 0) != (item.unit == unit::window))
                data.fail("the window's own item must come first, and only once");
            window.components.push_back(std::move(item));
        }
    }
    if (window.components.empty())
        area.fail("window without its own item");
    checkContainers(window, area);
    return window;
}

} // namespace

Segment readSegment(
    std::span<const std::uint8_t> data, const UnitRegistry& units, std::size_t handlerCount)
{
    ByteReader in(data);
    std::uint32_t tableSize = in.u32();
    if (tableSize % 8 != 0)
        in.fail("window table size is not a multiple of 8");
    std::size_t count = in.count(tableSize / 8, 8);
    Segment segment;
    segment.windows.resize(count);
    std::set<WindowId> seen;
    for (auto& window : segment.windows) {
        window.id = in.u32();
        if (!seen.insert(window.id).second)
            in.fail("window id used twice");
    }
    in.skip(4 * count); // window slots
    for (auto& window : segment.windows) {
        WindowId id = window.id;
        window = readWindow(in, units, handlerCount);
        window.id = id;
    }
    if (in.remaining() > 0)
        in.fail("bytes after the last window");
    return segment;
}

} // namespace ui
