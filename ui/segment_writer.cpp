#include "ui/segment_writer.h"

#include "ui/byte_io.h"
#include "ui/segment_layout.h"

#include <stdexcept>

namespace ui {
namespace {

class SegmentWriteIo {
public:
    SegmentWriteIo(ByteWriter& out, const UnitRegistry& units)
        : out_(out)
        , units_(units)
    {
    }

    void u32(std::uint32_t v) { out_.u32(v); }
    void i32(std::int32_t v) { out_.i32(v); }
    void handler(std::int32_t v) { out_.i32(v); }
    void u8(std::uint8_t v) { out_.u8(v); }
    void flag8(bool v) { out_.u8(v ? 1 : 0); }
    void zeros(std::size_t length) { out_.zeros(length); }
    void ztext(const Text& v) { out_.ztext(v); }
    void text32(const Text& v)
    {
        out_.u32(static_cast<std::uint32_t>(v.size()));
        out_.raw(v);
    }
    void bytes32(const Bytes& v)
    {
        out_.u32(static_cast<std::uint32_t>(v.size()));
        out_.raw(v);
    }
    void spareText() { out_.u32(0); }
    [[noreturn]] void fail(const std::string& what) { throw std::logic_error(what); }

    void faceName(const Text& face)
    {
        Text padded = face.substr(0, 31);
        padded.resize(32, '\0');
        out_.raw(padded);
    }

    void ids(const std::vector<std::uint32_t>& ids)
    {
        out_.u32(static_cast<std::uint32_t>(ids.size()));
        for (auto id : ids)
            out_.u32(id);
    }

    void events(const std::vector<EventBinding>& events)
    {
        out_.u32(static_cast<std::uint32_t>(events.size()));
        for (const auto& event : events) {
            out_.i32(event.event);
            out_.i32(event.handler);
        }
    }

    void entries(const std::vector<Text>& entries)
    {
        out_.u16(static_cast<std::uint16_t>(entries.size()));
        for (const auto& entry : entries)
            text32(entry);
    }

    void columns(const std::vector<Column>& columns)
    {
        out_.u32(static_cast<std::uint32_t>(columns.size()));
        for (const auto& column : columns) {
            text32(column.header);
            out_.i32(column.width);
        }
    }

    void block(UnitType code, const PropertyBlock& block)
    {
        const UnitInfo* unit = units_.find(code);
        if (!unit)
            fail("unknown unit type");
        if (!block.present)
            return;
        PropertyBlock filled = block;
        transferBlockFields(*this, *unit, filled);
    }

private:
    ByteWriter& out_;
    const UnitRegistry& units_;
};

void writeWindow(ByteWriter& out, const WindowTemplate& window, const UnitRegistry& units)
{
    SegmentWriteIo io(out, units);
    WindowTemplate header = window;
    transferWindowHeader(io, header);

    ByteWriter items;
    std::vector<std::uint32_t> ids, offsets;
    auto addItem = [&](std::uint32_t id, auto transfer) {
        ids.push_back(id);
        offsets.push_back(static_cast<std::uint32_t>(items.size()));
        ByteWriter data;
        SegmentWriteIo dataIo(data, units);
        transfer(dataIo);
        items.u32(static_cast<std::uint32_t>(data.size()));
        items.raw(data.bytes());
    };
    for (auto item : window.components)
        addItem(item.id, [&](SegmentWriteIo& itemIo) { transferComponent(itemIo, item); });
    for (auto item : window.menuItems)
        addItem(item.id, [&](SegmentWriteIo& itemIo) { transferMenuItem(itemIo, item); });

    out.u32(static_cast<std::uint32_t>(ids.size()));
    out.u32(static_cast<std::uint32_t>(8 * ids.size() + items.size()));
    for (auto id : ids)
        out.u32(id);
    for (auto offset : offsets)
        out.u32(offset);
    out.raw(items.bytes());
}

} // namespace

Bytes writeSegment(const Segment& segment, const UnitRegistry& units)
{
    ByteWriter out;
    out.u32(static_cast<std::uint32_t>(8 * segment.windows.size()));
    for (const auto& window : segment.windows)
        out.u32(window.id);
    out.zeros(4 * segment.windows.size());
    for (const auto& window : segment.windows)
        writeWindow(out, window, units);
    return out.take();
}

} // namespace ui
